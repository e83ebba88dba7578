#include <string>

#include "engine/RunAnalysis.h"

namespace habitual {

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
               "）"
               "を確かめてから、もう一度実行してください。";
    case TRunError::NoRows:
        return "栄養調査データ[" + fileName +
               "]には行がありません。見出し行とデータ行のあるファイルを指定してください。";
    case TRunError::KeyTooLong:
        return "データ " + row + " 行目の" + key +
               "の列の文字列が長すぎます（列の文字列をつないで255バイトまで）。"
               "列の選び方か、ファイルの内容を見直してください。";
    case TRunError::SeparatorInText:
        return "データ " + row + " 行目の" + key +
               "の列に、使えない制御文字（0x01）が含まれています。ファイルを修正してから実行してく"
               "ださい。";
    case TRunError::OutOfMemory:
        return "メモリが足りないため計算できませんでした。ほかのプログラムを閉じるか、"
               "データを分けてから実行してください。";
    }
    return {};
}

} // namespace habitual
