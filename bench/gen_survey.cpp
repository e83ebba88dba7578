// habitual-gen-survey: writes a large synthetic survey file for the benchmark.
//
// Every value is a pure function of (seed, person, day, column), so a row can
// be made on its own in any order: the file is streamed through one buffer and
// the shuffled form holds the same rows as the ordered one. Columns: district,
// household and household member (together they identify a person), sex
// (2 values), age class (6 values), then the nutrient columns, log-normal with
// a person effect and a day effect. Header in Shift-JIS, CR LF line ends.

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using u64 = std::uint64_t;

struct TOptions {
    u64 Persons = 500000;
    int DaysLo = 2;
    int DaysHi = 2;
    int Nutrients = 10;
    u64 Seed = 1;
    std::string Output;
    bool Shuffle = false;
};

// Survey rows are numbered by 32-bit counts downstream.
constexpr u64 MaxRows = 2147483647;
// Five key columns plus the nutrients stay within the column lists' 256.
constexpr int MaxNutrients = 251;
constexpr int MaxDays = 31;
constexpr u64 Districts = 47;
constexpr u64 MembersPerHousehold = 3;

// splitmix64 finaliser: a good 64-bit mixer, cheap enough for every value.
inline u64 Mix(u64 x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBull;
    x ^= x >> 31;
    return x;
}

inline u64 Hash(u64 seed, u64 a, u64 b, u64 c) {
    return Mix(Mix(Mix(seed ^ 0x9E3779B97F4A7C15ull) ^ a) + (b << 32 | c));
}

// Approximately standard normal from one hash: the sum of four 16-bit
// uniforms (mean 2, variance 1/3), rescaled. Tails end near +-3.5, which
// keeps the synthetic values free of absurd outliers.
inline double Normal(u64 h) {
    double s = 0;
    for (int i = 0; i < 4; ++i, h >>= 16) s += static_cast<double>(h & 0xFFFF);
    return (s / 65536.0 - 2.0) * 1.7320508075688772;
}

inline double Uniform(u64 h) {
    return static_cast<double>(h >> 11) * 0x1.0p-53;
}

// One nutrient column's distribution. Medians and spreads are plausible for
// Japanese adults; the number of decimals is chosen so that the reference file
// (1,000,000 rows, 10 nutrients) comes to about 75 MB.
struct TNutrient {
    const char* Name; // CP932 bytes
    double Median;    // men, middle age classes
    double Women;     // factor for women
    double AgeSlope;  // relative change from the youngest to the oldest class
    double SdBetween; // log scale
    double SdWithin;  // log scale
    int Decimals;
    double ZeroShare; // share of exact zeros among the survey days
};

const TNutrient Nutrients[] = {
    {"\x83\x47\x83\x6C\x83\x8B\x83\x4D\x81\x5B", 2100, 0.78, -0.12, 0.15, 0.25, 1,
     0},                                                                            // energy, kcal
    {"\x82\xBD\x82\xF1\x82\xCF\x82\xAD\x8E\xBF", 75, 0.84, 0.02, 0.16, 0.28, 2, 0}, // protein, g
    {"\x8E\x89\x8E\xBF", 62, 0.86, -0.20, 0.20, 0.35, 2, 0},                        // fat, g
    {"\x92\x59\x90\x85\x89\xBB\x95\xA8", 270, 0.80, -0.05, 0.16, 0.27, 1, 0}, // carbohydrate, g
    {"\x83\x4A\x83\x8B\x83\x56\x83\x45\x83\x80", 480, 1.00, 0.20, 0.25, 0.40, 1, 0}, // calcium, mg
    {"\x93\x53", 7.6, 0.92, 0.20, 0.20, 0.35, 2, 0},                                 // iron, mg
    {"\x83\x72\x83\x5E\x83\x7E\x83\x93\x43", 85, 1.05, 0.50, 0.35, 0.60, 2, 0.003}, // vitamin C, mg
    {"\x90\x48\x95\xA8\x91\x40\x88\xDB", 14.5, 0.95, 0.30, 0.22, 0.35, 2, 0}, // dietary fibre, g
    {"\x90\x48\x89\x96\x91\x8A\x93\x96\x97\xCA", 10.9, 0.86, 0.10, 0.18, 0.32, 2,
     0}, // salt equivalent, g
    {"\x97\xCE\x89\xA9\x90\x46\x96\xEC\x8D\xD8", 75, 1.00, 0.45, 0.40, 0.75, 1,
     0.06}, // green and yellow vegetables, g
};
constexpr int NTable = sizeof(Nutrients) / sizeof(Nutrients[0]);
const char* const ExtraName = "\x89\x68\x97\x7B\x91\x66"; // "nutrient", numbered, beyond the table

const char* const Header = "\x92\x6E\x8B\xE6,"                 // district
                           "\x90\xA2\x91\xD1,"                 // household
                           "\x90\xA2\x91\xD1\x88\xF5,"         // household member
                           "\x90\xAB\x95\xCA,"                 // sex
                           "\x94\x4E\x97\xEE\x8A\x4B\x8B\x89"; // age class

const char* const AgeClasses[6] = {"20", "30", "40", "50", "60", "70"};

// Hash tags keep the streams of the different draws apart.
enum : u64 { TagPerson = 1, TagDays = 2, TagPersonEffect = 3, TagDay = 4, TagZero = 5 };

// Per nutrient: log of the median for each of the 12 groups, ready to use.
struct TColumn {
    double LogMedian[2][6];
    double SdBetween, SdWithin, Scale, ZeroShare;
    int Decimals;
};

std::vector<TColumn> MakeColumns(int n) {
    std::vector<TColumn> cols(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        const TNutrient& t = Nutrients[j % NTable];
        TColumn& c = cols[static_cast<std::size_t>(j)];
        for (int s = 0; s < 2; ++s)
            for (int a = 0; a < 6; ++a)
                c.LogMedian[s][a] =
                    std::log(t.Median * (s ? t.Women : 1.0) * (1.0 + t.AgeSlope * (a - 2.5) / 5.0));
        c.SdBetween = t.SdBetween;
        c.SdWithin = t.SdWithin;
        c.Decimals = t.Decimals;
        c.Scale = std::pow(10.0, t.Decimals);
        c.ZeroShare = t.ZeroShare;
    }
    return cols;
}

class TWriter {
public:
    explicit TWriter(std::FILE* f) : File(f), Buffer(BufferSize) {}
    // Makes room for at least n bytes and returns where to write them.
    char* Reserve(std::size_t n) {
        if (Used + n > Buffer.size()) Flush();
        return Buffer.data() + Used;
    }
    void Commit(char* end) { Used = static_cast<std::size_t>(end - Buffer.data()); }
    bool Flush() {
        if (Used && std::fwrite(Buffer.data(), 1, Used, File) != Used) Failed = true;
        Total += Used;
        Used = 0;
        return !Failed;
    }
    bool Failed = false;
    u64 Total = 0;

private:
    static constexpr std::size_t BufferSize = 4u << 20;
    std::FILE* File;
    std::vector<char> Buffer;
    std::size_t Used = 0;
};

inline char* PutUInt(char* p, u64 v) {
    return std::to_chars(p, p + 20, v).ptr;
}

inline char* PutDecimal(char* p, double v, double scale, int decimals) {
    u64 n = static_cast<u64>(v * scale + 0.5);
    if (decimals == 0) return PutUInt(p, n);
    u64 unit = static_cast<u64>(scale);
    p = PutUInt(p, n / unit);
    u64 frac = n % unit;
    *p++ = '.';
    for (int k = decimals - 1; k >= 0; --k) {
        p[k] = static_cast<char>('0' + frac % 10);
        frac /= 10;
    }
    return p + decimals;
}

// A bijection of [0, n): a balanced Feistel network on the smallest even
// number of bits that covers n, walking the cycle until the value falls
// inside. Lets the rows be written in shuffled order without a table.
class TPermutation {
public:
    TPermutation(u64 n, u64 seed) : N(n) {
        int bits = 2;
        while ((u64{1} << bits) < n) bits += 2;
        Half = bits / 2;
        Mask = (u64{1} << Half) - 1;
        for (int r = 0; r < Rounds; ++r) Keys[r] = Mix(seed * 0x2545F4914F6CDD1Dull + r + 1);
    }
    u64 operator()(u64 i) const {
        do i = Round(i);
        while (i >= N);
        return i;
    }

private:
    u64 Round(u64 x) const {
        u64 l = x >> Half, r = x & Mask;
        for (int k = 0; k < Rounds; ++k) {
            u64 t = l ^ (Mix(r ^ Keys[k]) & Mask);
            l = r;
            r = t;
        }
        return l << Half | r;
    }
    static constexpr int Rounds = 4;
    u64 N;
    int Half;
    u64 Mask;
    u64 Keys[Rounds];
};

struct TPerson {
    int Sex; // 0 men, 1 women
    int Age; // class 0..5
    int Days;
};

inline TPerson PersonOf(const TOptions& o, u64 p) {
    u64 h = Hash(o.Seed, TagPerson, p, 0);
    TPerson r;
    r.Sex = static_cast<int>(h & 1);
    r.Age = static_cast<int>((h >> 8) % 6);
    int span = o.DaysHi - o.DaysLo + 1;
    r.Days = o.DaysLo + (span > 1 ? static_cast<int>(Hash(o.Seed, TagDays, p, 0) % span) : 0);
    return r;
}

char* WriteRow(char* q, const TOptions& o, const std::vector<TColumn>& cols, u64 p,
               const TPerson& person, int day) {
    u64 household = p / MembersPerHousehold;
    q = PutUInt(q, household % Districts + 1);
    *q++ = ',';
    q = PutUInt(q, household / Districts + 1);
    *q++ = ',';
    q = PutUInt(q, p % MembersPerHousehold + 1);
    *q++ = ',';
    *q++ = static_cast<char>('1' + person.Sex);
    *q++ = ',';
    std::memcpy(q, AgeClasses[person.Age], 2);
    q += 2;
    for (std::size_t j = 0; j < cols.size(); ++j) {
        const TColumn& c = cols[j];
        *q++ = ',';
        if (c.ZeroShare > 0 && Uniform(Hash(o.Seed, TagZero + (j << 8), p, day)) < c.ZeroShare) {
            *q++ = '0';
            continue;
        }
        double z = c.SdBetween * Normal(Hash(o.Seed, TagPersonEffect + (j << 8), p, 0)) +
                   c.SdWithin * Normal(Hash(o.Seed, TagDay + (j << 8), p, day));
        q = PutDecimal(q, std::exp(c.LogMedian[person.Sex][person.Age] + z), c.Scale, c.Decimals);
    }
    *q++ = '\r';
    *q++ = '\n';
    return q;
}

bool ParseU64(const char* s, u64& v) {
    const char* end = s + std::strlen(s);
    auto r = std::from_chars(s, end, v);
    return r.ec == std::errc() && r.ptr == end && r.ptr != s;
}

bool ParseDays(const char* s, int& lo, int& hi) {
    std::string_view t(s);
    std::size_t dash = t.find('-');
    u64 a = 0, b = 0;
    std::string first(t.substr(0, dash));
    if (!ParseU64(first.c_str(), a)) return false;
    b = a;
    if (dash != std::string_view::npos) {
        std::string second(t.substr(dash + 1));
        if (!ParseU64(second.c_str(), b)) return false;
    }
    if (a < 1 || b < a || b > MaxDays) return false;
    lo = static_cast<int>(a);
    hi = static_cast<int>(b);
    return true;
}

void Usage(std::FILE* f) {
    std::fputs("usage: habitual-gen-survey -o FILE [--persons N] [--days D|LO-HI] [--nutrients K]\n"
               "                           [--seed S] [--shuffle]\n"
               "  --persons N     persons (default 500000)\n"
               "  --days D|LO-HI  survey days per person, fixed or drawn per person (default 2)\n"
               "  --nutrients K   nutrient columns, 1 to 251 (default 10)\n"
               "  --seed S        seed; equal options and seed give the same file (default 1)\n"
               "  --shuffle       scatter the rows of each person over the file\n"
               "  -o FILE         output path, - for standard output\n",
               f);
}

// Returns 0 when the options are good, else the exit status to leave with.
int ParseOptions(int argc, char** argv, TOptions& o) {
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "-h" || a == "--help") {
            Usage(stdout);
            return -1;
        }
        if (a == "--shuffle") {
            o.Shuffle = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "habitual-gen-survey: %s needs a value\n", argv[i]);
            return 2;
        }
        const char* v = argv[++i];
        bool ok = true;
        u64 n = 0;
        if (a == "--persons") {
            ok = ParseU64(v, n) && n >= 1;
            o.Persons = n;
        } else if (a == "--days") {
            ok = ParseDays(v, o.DaysLo, o.DaysHi);
        } else if (a == "--nutrients") {
            ok = ParseU64(v, n) && n >= 1 && n <= MaxNutrients;
            o.Nutrients = static_cast<int>(n);
        } else if (a == "--seed") {
            ok = ParseU64(v, o.Seed);
        } else if (a == "-o" || a == "--output") {
            o.Output = v;
            ok = !o.Output.empty();
        } else {
            std::fprintf(stderr, "habitual-gen-survey: unknown option %s\n", argv[i - 1]);
            Usage(stderr);
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "habitual-gen-survey: bad value for %s: %s\n", argv[i - 1], v);
            return 2;
        }
    }
    if (o.Output.empty()) {
        Usage(stderr);
        return 2;
    }
    if (o.Persons > MaxRows / static_cast<u64>(o.DaysHi)) {
        std::fprintf(stderr, "habitual-gen-survey: at most %llu rows\n",
                     static_cast<unsigned long long>(MaxRows));
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TOptions o;
    if (int rc = ParseOptions(argc, argv, o)) return rc < 0 ? 0 : rc;

    bool toStdout = o.Output == "-";
    std::FILE* f = toStdout ? stdout : std::fopen(o.Output.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "habitual-gen-survey: cannot write %s: %s\n", o.Output.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::setvbuf(f, nullptr, _IONBF, 0); // the writer buffers already

    std::vector<TColumn> cols = MakeColumns(o.Nutrients);
    TWriter w(f);
    const std::size_t maxRow = 64 + 32 * cols.size();

    std::string header = Header;
    for (int j = 0; j < o.Nutrients; ++j) {
        header += ',';
        if (j < NTable) {
            header += Nutrients[j].Name;
        } else {
            header += ExtraName;
            header += std::to_string(j + 1);
        }
    }
    header += "\r\n";
    char* q = w.Reserve(header.size());
    std::memcpy(q, header.data(), header.size());
    w.Commit(q + header.size());

    // Rows are indexed over persons x DaysHi; an index whose day the person
    // does not have is skipped, so the shuffle also works for a range of days.
    const u64 slots = o.Persons * static_cast<u64>(o.DaysHi);
    TPermutation perm(slots, o.Seed);
    u64 rows = 0;
    for (u64 i = 0; i < slots; ++i) {
        u64 k = o.Shuffle ? perm(i) : i;
        u64 p = k / static_cast<u64>(o.DaysHi);
        int day = static_cast<int>(k % static_cast<u64>(o.DaysHi));
        TPerson person = PersonOf(o, p);
        if (day >= person.Days) continue;
        w.Commit(WriteRow(w.Reserve(maxRow), o, cols, p, person, day));
        ++rows;
        if (w.Failed) break;
    }
    w.Flush();
    bool failed = w.Failed || (toStdout ? std::fflush(f) != 0 : std::fclose(f) != 0);
    if (failed) {
        std::fprintf(stderr, "habitual-gen-survey: write failed: %s\n", o.Output.c_str());
        return 1;
    }
    std::fprintf(stderr, "habitual-gen-survey: %llu data rows, %llu bytes\n",
                 static_cast<unsigned long long>(rows), static_cast<unsigned long long>(w.Total));
    return 0;
}
