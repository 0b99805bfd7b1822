#include "gui/app/AboutDialog.h"

#include <QIcon>
#include <QLayout>

#include <algorithm>

#include "core/base/AppInfo.h"
#include "ui_AboutDialog.h"

namespace brindle
{

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::AboutDialog>())
{
    ui->setupUi(this);
    // A dialog border with no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const QPixmap icon = QIcon(QStringLiteral(":/icons/brindlewick.svg")).pixmap(32, 32);
    ui->imgIconLeft->setPixmap(icon);
    ui->imgIconRight->setPixmap(icon);
    QFont nameFont = ui->lblName->font();
    nameFont.setPointSize(16);
    ui->lblName->setFont(nameFont);
    ui->lblAuthor->setStyleSheet(QStringLiteral("color: navy;"));
    ui->lblNotice->setStyleSheet(QStringLiteral("color: red;"));
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    showTitleAuthorAndNotice();
    // 274 by 364, or as wide as the three labels at the top need in the desktop's font (they
    // do not wrap), and as tall as the wrapped paragraphs need at that width.
    const int boxWidth = std::max(274, layout()->totalMinimumSize().width());
    const int needed
        = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(boxWidth) : sizeHint().height();
    setFixedSize(boxWidth, std::max(364, needed));
    if (owner) {
        const QPoint centre = owner->frameGeometry().center();
        move(centre.x() - width() / 2, centre.y() - height() / 2);
    }
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::showTitleAuthorAndNotice()
{
    ui->lblName->setText(QString::fromUtf8(kAppTitle));
    ui->lblAuthor->setText(QString::fromUtf8(kAppAuthor));
    ui->lblNotice->setText(QString::fromUtf8(kAppNotice));
}

} // namespace brindle
