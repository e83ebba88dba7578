#include "tests/ui/Fixtures.h"

#include <QComboBox>
#include <QFile>

#include "engine/Encoding.h"
#include "engine/ResultLines.h"
#include "report/Report.h"

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Sjis(const char* utf8) {
    return QByteArray::fromStdString(habitual::Utf8ToCp932(utf8));
}

QByteArray SmallSurvey() {
    QByteArray text = Sjis("地区,番号,性別,年齢階級,エネルギー,カルシウム\r\n");
    for (int person = 1; person <= 12; ++person) {
        for (int day = 1; day <= 2; ++day) {
            const int sex = person % 2 + 1;
            const int energy = 1500 + person * 53 + day * 117 + (person * day % 5) * 41;
            const int calcium = 300 + person * 17 + day * 29 + (person % 3) * 55;
            text += QByteArray::number(person % 3 + 1) + ',' + QByteArray::number(person) + ',' +
                    QByteArray::number(sex) + ',' + Sjis(sex == 1 ? "男性" : "女性") + ',' +
                    QByteArray::number(energy) + ',' + QByteArray::number(calcium) + "\r\n";
        }
    }
    return text;
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

int PdfPageCount(const QByteArray& pdf) {
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page>") +
                            pdf.count("/Type /Page "));
}

QStringList MemoryReport(const habitual::TAnalysisSettings& settings,
                         const habitual::TRunOptions& options) {
    habitual::TMemoryResultLines lines;
    if (!habitual::RunReport(settings, lines, options).Ok()) qWarning("the run was rejected");
    QStringList text;
    for (const std::string& line : lines.Lines)
        text << QString::fromStdString(habitual::Cp932ToUtf8(line));
    return text;
}
