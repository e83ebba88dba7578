#include "engine/UserMessages.h"

#include "engine/Encoding.h"

namespace habitual {
namespace {

// "C" for the third column, as a spreadsheet names it.
std::string ColumnLetters(std::int32_t column) {
    std::string letters;
    for (std::int32_t c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

// "ファイルの 12 行目、3 列目" or "シート「集計」の 12 行目、C 列".
std::string Place(const TInputProblem& p) {
    std::string place;
    if (!p.Sheet.empty()) {
        place = "シート「" + p.Sheet + "」の " + std::to_string(p.Row) + " 行目";
        if (p.Column > 0) place += "、" + ColumnLetters(p.Column) + " 列";
    } else {
        place = "ファイルの " + std::to_string(p.Row) + " 行目";
        if (p.Column > 0) place += "、" + std::to_string(p.Column) + " 列目";
    }
    return place;
}

} // namespace

namespace messages {

std::string InputProblem(const TInputProblem& p, const std::string& path) {
    const std::string survey = "栄養調査データ[" + path + "]";
    const std::string part = p.Part.empty() ? std::string() : "（" + p.Part + "）";
    using K = TInputProblem::TKind;
    switch (p.Kind) {
    case K::None:
        return {};
    case K::CannotOpen:
        return SurveyUnreadable(path);
    case K::ReadFailed:
        return SurveyLoadFailed(path);
    case K::NoCp932Form:
        return survey + "の" + Place(p) + "にある文字「" + p.Character + "」（" +
               CodePointName(p.Character) +
               "）は Shift-JIS で表せません。このまま読むと別の人や別の分類が一つにまとまる"
               "おそれがあるため、読み込みをやめました。Shift-JIS にある文字に置き換えてから開いて"
               "ください。";
    case K::Malformed:
        return survey + "の" + Place(p) + "に UTF-8 として正しくないバイト（" + p.Character +
               "）があります。文字コードの指定（UTF-8 / Shift-JIS）を確かめるか、ファイルを UTF-8 "
               "で保存し直してください。";
    case K::Damaged:
        return survey + "は壊れているか、Excel ブック（.xlsx）として読めない形です" + part +
               "。Excel で開いて保存し直すか、CSV で保存してから開いてください。";
    case K::Encrypted:
        return survey +
               "はパスワードで保護されたブックです。Excel でパスワードを外して保存してから開いて"
               "ください。";
    case K::OldWorkbook:
        return survey + "は古い形式（Excel 97-2003、.xls）のブックです。Excel ブック（.xlsx）"
                        "か CSV で保存してから開いてください。";
    case K::NoSuchSheet:
        return survey + "にシート「" + p.Sheet +
               "」はありません。シートの名前か、1 から数えたシートの番号を指定してください。";
    case K::TooLarge:
        return survey + "のシートは大きすぎて読み込めません（使えるメモリは " +
               std::to_string(p.Limit >> 20) +
               " MB まで）。必要なシートだけのブックにするか、CSV で保存してから開いてください。";
    case K::BadSharedText:
        return survey + "は壊れています（" + Place(p) +
               "のセルが、ブックにない文字列を指しています）。Excel で開いて保存し直してください。";
    case K::NoWorkbooks:
        return survey + "は Excel ブックですが、この版の habitual はブックを読めません。"
                        "Excel で CSV 形式に保存してから開いてください。";
    }
    return {};
}

const char* OutOfMemory() {
    return "メモリが足りないため計算できませんでした。ほかのプログラムを閉じるか、"
           "データを分けてから実行してください。";
}

const char* MemoryShort() {
    return "メモリが不足しています。";
}

std::string SurveyNotFound(const std::string& path) {
    return "栄養調査データ[" + path + "]が見つかりません.";
}

std::string SurveyLoadFailed(const std::string& path) {
    return "栄養調査データ[" + path +
           "]を読み込む途中でエラーが起きました。ファイルの置き場所を確かめてから、"
           "もう一度開いてください。";
}

std::string SurveyUnreadable(const std::string& path) {
    return "栄養調査データ[" + path +
           "]を読み込めませんでした。ファイル名と読み取りの権限を確かめてください。";
}

std::string SurveyWithoutRows(const std::string& path) {
    return "栄養調査データ[" + path +
           "]には行がありません。見出し行とデータ行のあるファイルを指定してください。";
}

std::string ConfirmClear() {
    return "計算結果をクリアします";
}

std::string ConfirmOverwrite(const std::string& path) {
    return "ファイル " + path + " が既に存在します。\n\n重ね書きしますか？";
}

std::string ConfirmExit() {
    return "終了します";
}

std::string ResultsNotOpened() {
    return "ファイルを開けませんでした。";
}

std::string ResultsNotSaved() {
    return "ファイルを保存できませんでした。";
}

std::string ResultsCharactersReplaced(std::size_t count) {
    return "Shift-JIS で表せない文字 " + std::to_string(count) +
           " 文字を「?」に置き換えて保存しました。";
}

std::string ResultsNotWritten(const std::string& path) {
    return "計算結果をファイル[" + path +
           "]に保存できませんでした。保存先のフォルダ、空き容量、"
           "書き込みの権限を確かめてください。元のファイルはそのままです。";
}

std::string ResultsNotWrittenToStdout() {
    return "計算結果を標準出力に書き出せませんでした。";
}

std::string ColumnsNotWritten() {
    return "列の一覧を書き出せませんでした。";
}

std::string PrintFailed() {
    return "印刷できませんでした。";
}

std::string PlotFolderNotMade(const std::string& path) {
    return "分布図のフォルダ[" + path +
           "]を作れませんでした。フォルダの場所と書き込みの権限を確かめてください。";
}

std::string PlotNotWritten(const std::string& path) {
    return "分布図[" + path +
           "]を書き出せませんでした。空き容量と書き込みの権限を確かめてください。";
}

std::string CutOffTableProblem(const TCutOffProblem& p, const std::string& path) {
    using K = TCutOffProblem::TKind;
    const std::string table = "カットオフ値の表[" + path + "]";
    const std::string line = "ファイルの " + std::to_string(p.Line) + " 行目";
    const std::string lines =
        "ファイルの " + std::to_string(p.Line) + " 行目と " + std::to_string(p.OtherLine) + " 行目";
    switch (p.Kind) {
    case K::None:
        return {};
    case K::Unreadable:
        if (p.Input.Kind != TInputProblem::TKind::None &&
            p.Input.Kind != TInputProblem::TKind::CannotOpen)
            return InputProblem(p.Input, path);
        return table + "を読み込めませんでした。ファイルの場所と名前を確かめてください。";
    case K::NoHeader:
        return table + "の見出し行は、分類変数の列名（いくつでも）のあとに「分析変数」と"
                       "「カットオフ値」で終わる必要があります。";
    case K::EmptyName:
        return table + "の見出し行に、名前のない分類変数の列があります。";
    case K::TooManyCells:
        return table + "の" + line + "に、見出し行より多くの列があります。";
    case K::NoColumn:
        return table + "の" + line + "に、分析変数の列名がありません。";
    case K::BadCutOffs:
        return table + "の" + line + "のカットオフ値「" + p.Text +
               "」が読めません。スペースで区切った5つまでの数値で、末尾に - をつけると「未満」"
               "です（例: 6.0- 10）。";
    case K::SameRows:
        return table + "の" + lines +
               "は、同じ分類と分析変数を指しています。どちらか一方に"
               "してください。";
    case K::UnknownClass:
        return table + "の見出しの「" + p.Text +
               "」は、選んだ分類変数の列名のどれでもありません。分類変数の選び方か、表の見出しを"
               "確かめてください。";
    case K::Ambiguous:
        return table + "の" + lines + "が、グループ" + p.Text +
               "に同じように当てはまります。どちらの行を使うか決められないため、計算しませんでした"
               "。分類をもう一つ指定した行を加えるなどして、当てはまる行を一つにしてください。";
    }
    return {};
}

} // namespace messages

std::string RunErrorMessage(const TRunStatus& status, const std::string& fileName) {
    const std::string row = std::to_string(status.RowNo);
    const std::string key = status.PersonKey ? "個人識別ID" : "分類変数";
    switch (status.Error) {
    case TRunError::None:
        return {};
    case TRunError::CannotOpen:
        return "栄養調査データ[" + fileName +
               "]を開けませんでした。ファイルが移動・削除されていないか、"
               "ほかのプログラムが使用していないかを確かめてから、もう一度実行してください。";
    case TRunError::ReadFailed:
        return "栄養調査データ[" + fileName +
               "]を読み込む途中でエラーが起きました。ファイルの置き場所（ネットワークや外部ディスク"
               "）を確かめてから、もう一度実行してください。";
    case TRunError::NoRows:
        return messages::SurveyWithoutRows(fileName);
    case TRunError::KeyTooLong:
        return "データ " + row + " 行目の" + key +
               "の列の文字列が長すぎます（列の文字列をつないで255バイトまで）。"
               "列の選び方か、ファイルの内容を見直してください。";
    case TRunError::SeparatorInText:
        return "データ " + row + " 行目の" + key +
               "の列に、使えない制御文字（0x01）が含まれています。ファイルを修正してから実行してく"
               "ださい。";
    case TRunError::OutOfMemory:
        return messages::OutOfMemory();
    case TRunError::Cancelled:
        return "計算を中止しました。計算結果には何も追加していません。";
    case TRunError::Input:
        return messages::InputProblem(status.Input, fileName);
    case TRunError::NoNumericColumn:
        return "栄養調査データ[" + fileName +
               "]には、データがすべて数値の列（個人識別IDと分類変数の列を除く）がありません。";
    case TRunError::CutOffTable:
        return messages::CutOffTableProblem(status.CutOffs, status.CutOffs.Path);
    }
    return {};
}

} // namespace habitual
