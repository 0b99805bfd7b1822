#include "gui/joblist/EncodingDialog.h"

#include "core/joblist/EncodingList.h"
#include "core/joblist/XmlText.h"
#include "ui_EncodingDialog.h"

namespace brindle
{

EncodingDialog::EncodingDialog(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::EncodingDialog>())
{
    ui->setupUi(this);
    for (std::string_view item : kXmlEncodingItems)
        ui->cbXMLEncoding->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    ui->cbXMLEncoding->setCurrentIndex(-1);
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(sizeHint().expandedTo(QSize(308, 81)));
}

EncodingDialog::~EncodingDialog() = default;

void EncodingDialog::selectEncoding(std::string_view name)
{
    const int index = encodingItemIndex(name);
    ui->cbXMLEncoding->setCurrentIndex(index);
    if (index < 0)
        ui->cbXMLEncoding->setEditText(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void EncodingDialog::accept()
{
    if (checkEncoding && !checkEncoding(encodingName()))
        return;
    QDialog::accept();
}

std::string EncodingDialog::encodingName() const
{
    return firstWord(ui->cbXMLEncoding->currentText().toUtf8().toStdString());
}

} // namespace brindle
