#include "gui/jobs/ReplaceJobDialog.h"

#include "core/jobs/RegexReplace.h"
#include "gui/base/PlainText.h"
#include "gui/jobs/DialogFrame.h"
#include "ui_ReplaceJobDialog.h"

namespace brindle
{

ReplaceJobDialog::ReplaceJobDialog(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ReplaceJobDialog>())
{
    ui->setupUi(this);
    connect(ui->btnRegExHelp, &QPushButton::clicked, this, &ReplaceJobDialog::btnRegExHelpClick);
    connect(ui->btnOk, &QPushButton::clicked, this, &ReplaceJobDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedDialogFrame(this);
}

ReplaceJobDialog::~ReplaceJobDialog() = default;

void ReplaceJobDialog::loadJob(const Job& job)
{
    if (job.jobType != jobReplace)
        return;
    ui->edtString1->setText(m_texts.show(ui->edtString1, job.str1));
    ui->edtString2->setText(m_texts.show(ui->edtString2, job.str2));
    if (job.modifier == replaceText)
        ui->chkRegex->setChecked(false);
    else if (job.modifier == replaceRegex)
        ui->chkRegex->setChecked(true);
    ui->chkMatchCase->setChecked(job.int1 == 1);
    // The scope: a value the dialog does not offer works on the whole name, and is shown so.
    (job.int2 == scopeFilename           ? ui->rbFilename
            : job.int2 == scopeExtension ? ui->rbExtension
                                         : ui->rbAll)
        ->setChecked(true);
}

void ReplaceJobDialog::storeJob(Job& job) const
{
    job.str1 = m_texts.bytes(ui->edtString1, ui->edtString1->text());
    job.str2 = m_texts.bytes(ui->edtString2, ui->edtString2->text());
    job.modifier = ui->chkRegex->isChecked() ? replaceRegex : replaceText;
    job.int1 = ui->chkMatchCase->isChecked() ? 1 : 0;
    job.int2 = ui->rbFilename->isChecked() ? scopeFilename
        : ui->rbExtension->isChecked()     ? scopeExtension
                                           : scopeAll;
}

void ReplaceJobDialog::accept()
{
    if (ui->chkRegex->isChecked() && !ui->edtString1->text().isEmpty()) {
        const RegexReplace compiled(m_texts.bytes(ui->edtString1, ui->edtString1->text()),
            m_texts.bytes(ui->edtString2, ui->edtString2->text()), ui->chkMatchCase->isChecked());
        if (!compiled.error().empty()) {
            const QString text
                = QStringLiteral("Invalid regular expression: ") + QString::fromStdString(compiled.error());
            if (showMessage)
                showMessage(this, text);
            else
                execPlainMessageBox(this, QMessageBox::Information, windowTitle(), text, QMessageBox::Ok);
            ui->edtString1->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void ReplaceJobDialog::btnRegExHelpClick()
{
    if (showRegexHelp)
        showRegexHelp();
}

} // namespace brindle
