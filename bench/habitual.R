# Habitual intake distributions of one nutrient, per group, written in plain
# R with data.table: a benchmark counterpart of
#
#   habitual-cli SURVEY --nutrient 6 --id 1 --id 2 --id 3 --class 4 --class 5 \
#                --method best
#
# used by bench/r_bench.sh to put the batch tool's speed and memory next to an
# idiomatic (not tuned) implementation of the same method in R. It is not part
# of the product.
#
# usage: Rscript bench/habitual.R SURVEY
#
# Columns by position: 1-3 identify a person, 4-5 make the group, 6 is the
# value (the header row is skipped, so its encoding does not matter). Per
# group: the best of 21 normalising transformations (the log, with half the
# smallest non-zero value added when there are zeros, then the exponents 2, 1,
# 2/3, 1/2, ..., 1/10; the first with the highest normal-probability-plot
# R-square wins), a one-way ANOVA over persons, each person's mean shrunk
# towards the group mean and transformed back, then the mean, SD and
# percentiles of the one-day and the habitual distributions. Prints one CSV
# row per group and distribution.
#
# Checked against habitual-cli on the 1,000,000-row reference survey (12
# groups, and the same rows with column 6 replaced by the vitamin C column,
# which has zeros, and by the green-and-yellow-vegetable column, where the
# power 0.4 wins): the chosen power and R-square of its standard report (6
# decimals) and the count, mean, SD, minimum, 1, 5, 10, 25, 50, 75, 90, 95,
# 99 % points and maximum of both distributions in its summary output (6
# significant digits) agree within one unit of the last digit printed.
# bench/r_bench.sh repeats that comparison before it times the two.

suppressPackageStartupMessages(library(data.table))

args <- commandArgs(trailingOnly = TRUE)
if (length(args) != 1) {
    cat("usage: Rscript habitual.R SURVEY\n", file = stderr())
    quit(status = 2)
}

# Keys stay text, as in the tool: "01" and "1" are different persons.
dt <- fread(args[1], skip = 1, header = FALSE, select = 1:6,
            colClasses = list(character = 1:5, numeric = 6), showProgress = FALSE)
setnames(dt, c("id1", "id2", "id3", "cls1", "cls2", "v"))
dt[is.na(v), v := 0] # an empty or non-numeric value counts as 0, as in the tool
groups <- c("cls1", "cls2")
persons <- c(groups, "id1", "id2", "id3")

# The approximation of the normal quantile that the tool uses for the
# probability plot (not qnorm), so that the R-squares and thus the chosen
# transformation are the same.
normal_quantile <- function(p) {
    q <- pmin(p, 1 - p)
    t <- sqrt(log(1 / q^2))
    z <- t - (2.30753 + 0.27061 * t) / (1 + 0.99229 * t + 0.04481 * t^2)
    ifelse(p <= 0.5, -z, z)
}

# Exponent of candidate k (0 stands for the log).
candidates <- c(0, 1 / (0.5 * 1:20))

best_form <- function(v) {
    n <- length(v)
    x <- sort(v)
    z <- normal_quantile((seq_len(n) - 0.375) / (n + 0.25))
    nonzero <- x[x != 0]
    offset <- if (length(nonzero) %in% c(0, n)) 0 else min(nonzero) * 0.5
    rsq <- vapply(candidates, function(p) {
        t <- if (p == 0) log(x + offset) else x^p
        # Equal values have no R-square (rounding would make one up).
        if (t[1] == t[n]) NaN else cor(t, z)^2
    }, numeric(1))
    rsq[is.na(rsq)] <- -Inf
    k <- which.max(rsq) # the first of equals
    if (rsq[k] > 0) {
        list(power = candidates[k], rsquare = rsq[k], offset = offset)
    } else {
        list(power = 1, rsquare = 0, offset = offset) # no candidate fits: none
    }
}

# Transformation per group.
forms <- dt[, best_form(v), keyby = groups]
dt[forms, on = groups, t := fifelse(i.power == 0, log(v + i.offset), v^i.power)]

# One-way ANOVA over persons.
per_person <- dt[, .(s = sum(t), days = .N, flat = min(t) == max(t)), by = persons]
anova <- dt[, .(n = .N, g = sum(t), q = sum(t^2), flat = min(t) == max(t)), keyby = groups][
    per_person[, .(np = .N, b = sum(s^2 / days), max_days = max(days), flat_within = all(flat)),
               keyby = groups], on = groups]
anova[, `:=`(mean = g / n, ss_total = q - g^2 / n, ss_model = b - g^2 / n)]
# All values equal, or equal within every person: the sums of squares are
# exactly 0, not the rounding residue of the differences above.
anova[flat == TRUE, `:=`(ss_total = 0, ss_model = 0)]
anova[, ss_error := ss_total - ss_model]
anova[flat_within == TRUE, `:=`(ss_model = ss_total, ss_error = 0)]
anova[, var := ss_total / (n - 1)]
anova[, vw := fifelse(n == np, 0, ss_error / (n - np))]
anova[, vb := fifelse(n == np, var,
                      fifelse(np == 1, 0, pmax(0, (ss_model - (np - 1) * vw) / (n - max_days))))]
anova[forms, on = groups, `:=`(power = i.power, rsquare = i.rsquare, offset = i.offset)]

# Shrunk person means, back in the units of the survey (with the correction
# for the within-person variance).
per_person[anova, on = groups, `:=`(
    shrunk = {
        k <- fifelse(i.vb <= 0, 0, fifelse(i.vw == 0, 1, sqrt(i.vb / (i.vb + i.vw / days))))
        (1 - k) * i.mean + k * s / days
    },
    power = i.power, vw = i.vw, offset = i.offset)]
per_person[, habitual := {
    e <- 1 / power
    fifelse(power == 0, exp(shrunk) * (1 + 0.5 * vw) - offset,
            fifelse(power == 1, shrunk, shrunk^e + 0.5 * e * (e - 1) * shrunk^(e - 2) * vw))
}]

# The tool's percentiles interpolate at (n + 1) p: quantile type 6.
probs <- c(0, 0.01, 0.05, 0.10, 0.25, 0.50, 0.75, 0.90, 0.95, 0.99, 1)
stat_names <- c("mean", "sd", "min", "p1", "p5", "p10", "p25", "p50", "p75", "p90", "p95",
                "p99", "max")
summarise <- function(x) {
    as.list(setNames(c(mean(x), sd(x), quantile(x, probs, type = 6, names = FALSE)), stat_names))
}
daily <- dt[, c(list(distribution = "daily", count = .N), summarise(v)), keyby = groups]
habit <- per_person[, c(list(distribution = "habitual", count = .N), summarise(habitual)),
                    keyby = groups]
# The habitual distribution needs both variances positive.
habit <- habit[anova[vb > 0 & vw > 0, ..groups], on = groups, nomatch = NULL]

out <- rbind(daily, habit)[anova[, c(groups, "power", "rsquare"), with = FALSE], on = groups]
setcolorder(out, c(groups, "power", "rsquare"))
setorderv(out, c(groups, "distribution"))
fwrite(out, "") # to standard output
