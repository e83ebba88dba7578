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

} // namespace

const char* UsageText() {
    return "使い方:\n"
           "  habitual-cli 調査データ.csv --nutrient 列 [--id 列]... [--class 列]...\n"
           "               [--method best|log|none|power] [--power べき数]\n"
           "               [--within-variance 個人内分散 | --variance-ratio 個人内/間分散比]\n"
           "               [--cutoffs \"10 20-\"] [--output standard|summary|data]\n"
           "               [-o 出力ファイル] [--encoding cp932|utf-8]\n"
           "               [--input-encoding auto|cp932|utf-8] [--sheet シート] [--skip-missing]\n"
           "               [--plots 出力フォルダ [--log-axis]]\n"
           "  habitual-cli 調査データ.csv --columns\n"
           "\n"
           "  調査データは CSV ファイル（Shift-JIS か UTF-8）か Excel ブック（.xlsx）です。\n"
           "\n"
           "  列は 1 から数えた列番号（画面の「3.性別」なら 3）か、見出し行の文字列です。\n"
           "  --id                 個人識別IDの列（4つまで）\n"
           "  --class              分類変数の列（3つまで）\n"
           "  --nutrient           分析変数（栄養素等）の列\n"
           "  --method             best=最良べき乗変換（既定） log=対数変換 none=無変換\n"
           "                       power=べき数指定（--power で指定）\n"
           "  --within-variance    個人内分散を指定（--method power のときだけ有効）\n"
           "  --variance-ratio     個人内/間分散比を指定（--method power のときだけ有効）\n"
           "  --cutoffs            カットオフ値。スペースで区切って5つまで。末尾に - "
           "をつけると「未満」\n"
           "  --output             standard=標準（既定） summary=カンマ区切り要約 "
           "data=カンマ区切りデータ\n"
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
            if (o.HasNutrient) {
                error = "--nutrient は1つだけ指定してください。";
                return false;
            }
            o.Nutrient = v;
            o.HasNutrient = true;
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
        } else if (arg == "--output") {
            if (!value(v)) return false;
            o.Output = Choice(v, {"standard", "summary", "data"});
            if (o.Output < 0) {
                error = "--output には standard, summary, data のどれかを指定してください。";
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
    if (!o.HasNutrient) {
        error = "--nutrient で分析変数（栄養素等）の列を指定してください。";
        return false;
    }
    return true;
}

} // namespace habitual
