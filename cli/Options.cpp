#include "cli/Options.h"

#include <string_view>

namespace habitual {
namespace {

// The index of value in names, or -1.
int Choice(std::string_view value, std::initializer_list<std::string_view> names) {
    int i = 0;
    for (std::string_view name : names) {
        if (value == name) return i;
        ++i;
    }
    return -1;
}

// A whole number of at most nine digits, or -1.
int WholeNumber(std::string_view text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != text.npos)
        return -1;
    int value = 0;
    for (char c : text) value = value * 10 + (c - '0');
    return value;
}

} // namespace

const char* UsageText() {
    return "使い方:\n"
           "  habitual-cli 調査データ.csv --nutrient 列... [--id 列]... [--class 列]...\n"
           "               [--method best|log|none|power] [--power べき数]\n"
           "               [--within-variance 個人内分散 | --variance-ratio 個人内/間分散比]\n"
           "               [--cutoffs \"10 20-\"] [--cutoff-table 表.csv]\n"
           "               [--output standard|summary|data|summary-table]\n"
           "               [-o 出力ファイル] [--encoding cp932|utf-8]\n"
           "               [--input-encoding auto|cp932|utf-8] [--sheet シート] [--skip-missing]\n"
           "               [--plots 出力フォルダ [--log-axis]]\n"
           "               [--bootstrap 反復回数 [--seed 乱数シード] [--level 90|95|99]]\n"
           "               [--threads スレッド数] [--write-notices] [--stage-times]\n"
           "  habitual-cli 調査データ.csv --columns\n"
           "\n"
           "  調査データは CSV ファイル（Shift-JIS か UTF-8）か Excel ブック（.xlsx）です。\n"
           "\n"
           "  列は 1 から数えた列番号（画面の「3.性別」なら 3）か、見出し行の文字列です。\n"
           "  --id                 個人識別IDの列（4つまで）\n"
           "  --class              分類変数の列（3つまで）\n"
           "  --nutrient           分析変数（栄養素等）の列。くり返すと列ごとに順に計算し、\n"
           "                       all-numeric でデータがすべて数値の列（ID・分類変数の列を\n"
           "                       除く）をすべて計算する\n"
           "  --method             best=最良べき乗変換（既定） log=対数変換 none=無変換\n"
           "                       power=べき数指定（--power で指定）\n"
           "  --within-variance    個人内分散を指定（--method power のときだけ有効）\n"
           "  --variance-ratio     個人内/間分散比を指定（--method power のときだけ有効）\n"
           "  --cutoffs            カットオフ値。スペースで区切って5つまで。末尾に - "
           "をつけると「未満」\n"
           "  --cutoff-table       グループ・分析変数ごとのカットオフ値の表（当てはまる行が\n"
           "                       ないグループは --cutoffs の値）\n"
           "  --output             standard=標準（既定） summary=カンマ区切り要約 "
           "data=カンマ区切りデータ\n"
           "                       summary-table=すべての分析変数・グループを一つの表にした"
           "カンマ区切り要約\n"
           "  -o                   計算結果の出力先（省略時は標準出力）\n"
           "  --encoding           出力の文字コード（既定は cp932 = Shift-JIS）\n"
           "  --input-encoding     調査データ（CSV）の文字コード。auto=自動判定（既定） "
           "cp932=Shift-JIS utf-8=UTF-8\n"
           "  --sheet              ブックのシート（名前か 1 から数えた番号。既定は最初のシート）\n"
           "  --skip-missing       分析変数が空欄か数値でない行を計算から除く（既定は 0 "
           "として計算）\n"
           "  --plots              グループごとの分布図（SVG、対応する版では PNG も）と"
           "一覧 index.html を書き出すフォルダ\n"
           "  --log-axis           分布図の摂取量の軸を対数目盛にする\n"
           "  --bootstrap          信頼区間（ブートストラップ）の反復回数（100～100000。"
           "0 か省略で計算しない）\n"
           "  --seed               乱数シード（0～18446744073709551615、既定 12345）\n"
           "  --level              信頼水準（%）。90, 95（既定）, 99\n"
           "  --threads            計算に使うスレッド数（既定はコア数。結果は変わりません）\n"
           "  --write-notices      注意事項を計算結果にも書き出す（標準エラーには常に出力）\n"
           "  --stage-times        処理の段階ごとの所要時間を標準エラーに出力する\n"
           "  --columns            見出し行の列の一覧を表示して終了（--encoding cp932 "
           "の指定がなければ UTF-8）\n"
           "  --help, --version    この説明、版数を表示して終了\n"
           "\n"
           "終了状態: 0 成功、1 調査データを読めない・計算できない・書き出せない、2 指定の誤り\n";
}

bool ParseOptions(const std::vector<std::string>& args, TCliOptions& o, std::string& error) {
    bool columns = false, hendoGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " の後に値を指定してください。";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            o.Action = TCliOptions::TAction::Help;
            return true;
        } else if (arg == "--version") {
            o.Action = TCliOptions::TAction::Version;
            return true;
        } else if (arg == "--columns") {
            columns = true;
        } else if (arg == "--id") {
            if (!value(v)) return false;
            if (o.Ids.size() == 4) {
                error = "--id は4つまでです（個人識別IDの列は4つまで）。";
                return false;
            }
            o.Ids.push_back(v);
        } else if (arg == "--class") {
            if (!value(v)) return false;
            if (o.Classes.size() == 3) {
                error = "--class は3つまでです（分類変数の列は3つまで）。";
                return false;
            }
            o.Classes.push_back(v);
        } else if (arg == "--nutrient") {
            if (!value(v)) return false;
            if (v == "all-numeric") {
                o.AllNumeric = true;
            } else {
                o.Nutrients.push_back(v);
            }
            if (o.AllNumeric && !o.Nutrients.empty()) {
                error = "--nutrient all-numeric は、ほかの --nutrient と一緒には指定できません。";
                return false;
            }

        } else if (arg == "--method") {
            if (!value(v)) return false;
            // In the order of the values of NormalizeMethod and OutType.
            o.Method = Choice(v, {"best", "log", "none", "power"});
            if (o.Method < 0) {
                error = "--method には best, log, none, power のどれかを指定してください。";
                return false;
            }
        } else if (arg == "--power") {
            if (!value(o.Power)) return false;
        } else if (arg == "--within-variance" || arg == "--variance-ratio") {
            if (!value(o.HendoText)) return false;
            if (hendoGiven) {
                error = "--within-variance と --variance-ratio はどちらか1つだけ指定してください。";
                return false;
            }
            hendoGiven = true;
            o.HendoMode = arg == "--within-variance" ? Hendo::WithinGiven : Hendo::RatioGiven;
        } else if (arg == "--cutoffs") {
            if (!value(o.CutOffs)) return false;
        } else if (arg == "--cutoff-table") {
            if (!value(o.CutOffTable)) return false;
        } else if (arg == "--output") {
            if (!value(v)) return false;
            o.Output = Choice(v, {"standard", "summary", "data", "summary-table"});
            if (o.Output < 0) {
                error = "--output には standard, summary, data, summary-table のどれかを"
                        "指定してください。";
                return false;
            }
        } else if (arg == "-o") {
            if (!value(o.OutputFile)) return false;
        } else if (arg == "--plots") {
            if (!value(o.PlotFolder)) return false;
            if (o.PlotFolder.empty()) {
                error = "--plots には分布図を書き出すフォルダを指定してください。";
                return false;
            }
        } else if (arg == "--log-axis") {
            o.LogAxis = true;
        } else if (arg == "--encoding") {
            if (!value(v)) return false;
            int e = Choice(v, {"cp932", "utf-8"});
            if (e < 0) {
                error = "--encoding には cp932 か utf-8 を指定してください。";
                return false;
            }
            o.Utf8 = e == 1;
            o.EncodingGiven = true;
        } else if (arg == "--input-encoding") {
            if (!value(v)) return false;
            const int e = Choice(v, {"auto", "cp932", "utf-8"});
            if (e < 0) {
                error = "--input-encoding には auto, cp932, utf-8 のどれかを指定してください。";
                return false;
            }
            o.Input.Encoding = e == 0   ? TInputEncoding::Auto
                               : e == 1 ? TInputEncoding::Cp932
                                        : TInputEncoding::Utf8;
            o.InputEncodingGiven = true;
        } else if (arg == "--sheet") {
            if (!value(o.Input.Sheet)) return false;
            if (o.Input.Sheet.empty()) {
                error = "--sheet にはシートの名前か番号を指定してください。";
                return false;
            }
            o.SheetGiven = true;
        } else if (arg == "--skip-missing") {
            o.Input.SkipMissing = true;
        } else if (arg == "--bootstrap") {
            if (!value(v)) return false;
            o.Bootstrap = WholeNumber(v);
            if (o.Bootstrap != 0 && (o.Bootstrap < TBootstrapOptions::MinReplicates ||
                                     o.Bootstrap > TBootstrapOptions::MaxReplicates)) {
                error = "--bootstrap には反復回数を 100 から 100000 までの整数で指定してください"
                        "（0 で計算しません）: " +
                        v;
                return false;
            }
        } else if (arg == "--seed") {
            if (!value(v)) return false;
            if (!ParseSeed(v, o.Seed)) {
                error =
                    "--seed には 0 から 18446744073709551615 までの整数を指定してください: " + v;
                return false;
            }
            o.SeedGiven = true;
        } else if (arg == "--level") {
            if (!value(v)) return false;
            o.Level = WholeNumber(v);
            if (!ValidLevel(o.Level)) {
                error = "--level には 90, 95, 99 のどれかを指定してください: " + v;
                return false;
            }
            o.LevelGiven = true;
        } else if (arg == "--threads") {
            if (!value(v)) return false;
            o.Threads = WholeNumber(v);
            if (o.Threads < 1 || o.Threads > 1024) {
                error = "--threads には 1 から 1024 までの整数を指定してください: " + v;
                return false;
            }
        } else if (arg == "--write-notices") {
            o.WriteNotices = true;
        } else if (arg == "--stage-times") {
            o.StageTimes = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "知らないオプションです: " + arg;
            return false;
        } else if (o.Survey.empty()) {
            o.Survey = arg;
        } else {
            error = "調査データのファイルは1つだけ指定してください: " + arg;
            return false;
        }
    }
    if (o.Survey.empty()) {
        error = "調査データのファイルを指定してください。";
        return false;
    }
    if (columns) {
        o.Action = TCliOptions::TAction::Columns;
        return true;
    }
    if (o.Nutrients.empty() && !o.AllNumeric) {
        error = "--nutrient で分析変数（栄養素等）の列を指定してください。";
        return false;
    }
    return true;
}

} // namespace habitual
