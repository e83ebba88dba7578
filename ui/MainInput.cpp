// The group 調査データの読み込み of the page 詳細設定: which file is loaded and
// how it was read, the encoding choice (changing it reads the file again),
// and whether analysis fields that are not numbers are left out.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>

#include "ui/Main.h"
#include "ui/PathLabel.h"

namespace {

// In the order of the items of ComboBoxMojiCode.
const habitual::TInputEncoding Encodings[] = {habitual::TInputEncoding::Auto,
                                              habitual::TInputEncoding::Cp932,
                                              habitual::TInputEncoding::Utf8};

} // namespace

QGroupBox* TMainForm::MakeInputGroup() {
    auto* group = new QGroupBox(QStringLiteral("調査データの読み込み"));
    group->setObjectName(QStringLiteral("GroupBoxYomikomi"));
    auto* form = new QFormLayout(group);
    LabelYomikomiFile = new QLabel(group);
    LabelYomikomiFile->setObjectName(QStringLiteral("LabelYomikomiFile"));
    LabelYomikomiFile->setWordWrap(true);
    LabelYomikomiFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("読み込んだファイル:"), LabelYomikomiFile);
    ComboBoxMojiCode = new QComboBox(group);
    ComboBoxMojiCode->setObjectName(QStringLiteral("ComboBoxMojiCode"));
    ComboBoxMojiCode->addItems(
        {QStringLiteral("自動"), QStringLiteral("Shift-JIS"), QStringLiteral("UTF-8")});
    connect(ComboBoxMojiCode, &QComboBox::currentIndexChanged, this,
            [this] { RunCommand(&TMainForm::ComboBoxMojiCodeChange); });
    form->addRow(QStringLiteral("文字コード:"), ComboBoxMojiCode);
    auto* note = new QLabel(
        QStringLiteral("CSV ファイルの文字コードです。「自動」では、UTF-8 として正しく日本語などを"
                       "含むファイル（先頭に BOM のあるファイルも）を UTF-8、それ以外を Shift-JIS "
                       "として読みます。変えると、読み込んだファイルを読み直します。"
                       "Excel ブックには関係しません。"),
        group);
    note->setObjectName(QStringLiteral("LabelMojiCodeNote"));
    note->setWordWrap(true);
    form->addRow(note);
    CheckBoxKessokuJogai = new QCheckBox(
        QStringLiteral("分析変数が空欄か数値でない行を計算から除く（オフ: 0 として計算）"), group);
    CheckBoxKessokuJogai->setObjectName(QStringLiteral("CheckBoxKessokuJogai"));
    form->addRow(CheckBoxKessokuJogai);
    ShowLoadedFile();
    return group;
}

habitual::TInputOptions TMainForm::CollectInput() const {
    habitual::TInputOptions input;
    input.Encoding = Encodings[std::max(0, ComboBoxMojiCode->currentIndex())];
    input.Sheet = LoadedSheet;
    input.SkipMissing = CheckBoxKessokuJogai->isChecked();
    return input;
}

void TMainForm::ShowLoadedFile() {
    const QString path = PanelDietFileName->text();
    if (path.isEmpty()) {
        LabelYomikomiFile->setText(QStringLiteral("（なし）"));
        return;
    }
    QString how;
    switch (LoadedFormat) {
    case habitual::TSurveyFormat::Cp932:
        how = QStringLiteral("Shift-JIS の CSV ファイル");
        break;
    case habitual::TSurveyFormat::Utf8:
        how = QStringLiteral("UTF-8 の CSV ファイル");
        break;
    case habitual::TSurveyFormat::Workbook:
        how = QStringLiteral("Excel ブック、シート「%1」").arg(QString::fromStdString(LoadedSheet));
        break;
    }
    LabelYomikomiFile->setText(QStringLiteral("%1（%2として読み込みました）").arg(path, how));
}

void TMainForm::ComboBoxMojiCodeChange() {
    // Only a loaded comma-separated file is read again; a workbook's text
    // has one encoding of its own.
    const QString path = PanelDietFileName->text();
    if (path.isEmpty() || LoadedFormat == habitual::TSurveyFormat::Workbook) {
        LoadedMojiCode = ComboBoxMojiCode->currentIndex();
        return;
    }
    if (!ReadSurvey(path, CollectInput())) {
        // The file stays as it was read; so does the choice it was read with.
        const QSignalBlocker quiet(ComboBoxMojiCode);
        ComboBoxMojiCode->setCurrentIndex(LoadedMojiCode);
    }
}
