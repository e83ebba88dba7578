#include "engine/UserMessages.h"

namespace habitual {
namespace messages {

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
    }
    return {};
}

} // namespace habitual
