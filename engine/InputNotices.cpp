#include "engine/InputNotices.h"

namespace habitual {
namespace {

// "3, 7, 8" with "ほか" when there are more than the positions kept.
std::string Positions(const TRowTally& tally) {
    std::string text;
    const std::int64_t shown = tally.Count < TRowTally::Kept ? tally.Count : TRowTally::Kept;
    for (std::int64_t i = 0; i < shown; ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(tally.First[i]);
    }
    return text;
}

std::string More(const TRowTally& tally) {
    return tally.Count > TRowTally::Kept ? " 行目ほか" : " 行目";
}

} // namespace

TNotice SkippedLinesNotice(const TRowTally& lines, TSurveyFormat format) {
    TNotice notice;
    notice.Level = TNotice::TLevel::Warning;
    const std::string where = format == TSurveyFormat::Workbook ? "シートの " : "ファイルの ";
    notice.Text = "文字のある " + std::to_string(lines.Count) +
                  " 行を空行として読み飛ばしました（" + where + Positions(lines) + More(lines) +
                  "）。Shift-JIS で 0x80 以上のバイトだけからなる文字（ひらがなや全角記号の多く）"
                  "と、カンマ・引用符・空白だけでできた行は、データの行として数えません。";
    return notice;
}

TNotice NotNumbersNotice(const TRowTally& rows, bool skipMissing, const std::string& group) {
    TNotice notice;
    notice.Level = TNotice::TLevel::Warning;
    notice.Group = group;
    notice.Text = "分析変数が空欄か数値でない " + std::to_string(rows.Count) + " 行を" +
                  (skipMissing ? "計算から除きました" : " 0 として計算しました") + "（データ " +
                  Positions(rows) + More(rows) + "）。";
    return notice;
}

} // namespace habitual
