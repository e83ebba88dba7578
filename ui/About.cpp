#include "ui/About.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "ui/BuildInfo.h"
#include "ui/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/Main.h"
#include "ui/NotifyingWidgets.h"

QString GuideAddress(const QString& programDir) {
    // Beside the program (Windows, and the build folder, where the build
    // copies it), or under share/doc of the prefix the program is installed in.
    const QString beside = programDir + QStringLiteral("/guide.html");
    const QString shared = programDir + QStringLiteral("/../share/doc/habitual/guide.html");
    QString guide = QFileInfo(beside).isFile() ? beside : shared;
#ifdef _WIN32
    if (!QFileInfo(guide).isFile()) guide = beside;
#endif
    return QUrl::fromLocalFile(QFileInfo(guide).absoluteFilePath()).toString();
}

QString HomeAddress() {
    const QString configured = QStringLiteral(HABITUAL_HOME_URL_TEXT);
    if (!configured.isEmpty()) return configured;
    return GuideAddress(QCoreApplication::applicationDirPath());
}

QString VersionLine() {
    return QStringLiteral("バージョン %1（%2）")
        .arg(QStringLiteral(HABITUAL_VERSION_TEXT), QStringLiteral(HABITUAL_RELEASE_DATE_TEXT));
}

namespace {

QLabel* PlaceLabel(QWidget* parent, const char* name, const QString& text, int pixelSize,
                   const QRect& geometry, bool wrap) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setFont(DialogFont(pixelSize));
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont(12));
    setFixedSize(524, 281);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setGeometry(9, 8, 505, 233);

    PlaceLabel(panel, "Label2", QString::fromUtf8(SystemTitle), 19, QRect(24, 12, 457, 24), false)
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceLabel(panel, "Label3", VersionLine(), 15, QRect(24, 40, 457, 20), false)
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceLabel(panel, "LabelCredits", QStringLiteral("開発：Habitual プロジェクトの開発者一同"), 15,
               QRect(24, 64, 457, 20), false)
        ->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceLabel(panel, "Label1",
               QStringLiteral(
                   "本プログラムは、食事調査から習慣的摂取量の分布を推定する研究用の道具です。"),
               12, QRect(24, 88, 457, 24), true);
    PlaceLabel(panel, "Label5",
               QStringLiteral("作成にあたり、方法の検討、試用と報告、文書の作成に協力してくださった"
                              "すべての方々に感謝します。"),
               12, QRect(24, 112, 455, 36), true);
    PlaceLabel(panel, "Label6",
               QStringLiteral("本プログラムは無保証です。新しい版と使い方は下記のアドレスで案内して"
                              "います（ダブルクリックでブラウザが開きます）。"),
               12, QRect(24, 160, 455, 36), true);

    Label4 = new TDblClickLabel(HomeAddress(), panel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setTextFormat(Qt::PlainText);
    Label4->setFont(AddressFont(13));
    Label4->setGeometry(12, 205, 483, 18);
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    Label4->setPalette(palette);
    Label4->setCursor(Qt::PointingHandCursor);
    connect(Label4, &TDblClickLabel::DoubleClicked, this,
            [this] { Guarded([this] { Label4DblClick(); }); });

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(225, 250, 75, 25);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString TAboutBox::Address() const {
    return Label4->text();
}

void TAboutBox::Label4DblClick() {
    OpenAddress(Launcher, Label4->text());
}
