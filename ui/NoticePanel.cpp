#include "ui/NoticePanel.h"

#include <QListWidget>
#include <QStyle>

TNoticePanel::TNoticePanel(QWidget* parent)
    : QDockWidget(QStringLiteral("注意事項"), parent), List(new QListWidget(this)) {
    setObjectName(QStringLiteral("DockNotices"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    List->setObjectName(QStringLiteral("ListNotices"));
    List->setWordWrap(true);
    List->setSelectionMode(QAbstractItemView::NoSelection);
    setWidget(List);
    hide();
}

void TNoticePanel::Clear() {
    List->clear();
    hide();
}

void TNoticePanel::Add(const habitual::TNotice& notice) {
    QString text = QString::fromStdString(notice.Text);
    if (!notice.Group.empty())
        text = QString::fromStdString(notice.Group) + QLatin1Char(' ') + text;
    auto* item = new QListWidgetItem(text, List);
    const bool warning = notice.Level == habitual::TNotice::TLevel::Warning;
    item->setIcon(style()->standardIcon(warning ? QStyle::SP_MessageBoxWarning
                                                : QStyle::SP_MessageBoxInformation));
    item->setToolTip(text);
    show();
}

QStringList TNoticePanel::Texts() const {
    QStringList texts;
    for (int i = 0; i < List->count(); ++i) texts << List->item(i)->text();
    return texts;
}
