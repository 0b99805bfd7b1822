#include "jobs/UfrmReplaceDetails.h"

#include <QMessageBox>

#include "jobs/URegexReplace.h"
#include "ui_UfrmReplaceDetails.h"

namespace brindle
{

TfrmReplaceDetails::TfrmReplaceDetails(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TfrmReplaceDetails>())
{
    ui->setupUi(this);
    connect(ui->btnRegExHelp, &QPushButton::clicked, this, &TfrmReplaceDetails::btnRegExHelpClick);
    connect(ui->btnOk, &QPushButton::clicked, this, &TfrmReplaceDetails::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    SetFixedDialogFrame(this);
}

TfrmReplaceDetails::~TfrmReplaceDetails() = default;

void TfrmReplaceDetails::LoadJob(const TJob& job)
{
    if (job.JobType != jobReplace)
        return;
    ui->edtString1->setText(m_texts.show(ui->edtString1, job.Str1));
    ui->edtString2->setText(m_texts.show(ui->edtString2, job.Str2));
    if (job.Modifier == replaceText)
        ui->chkRegex->setChecked(false);
    else if (job.Modifier == replaceRegex)
        ui->chkRegex->setChecked(true);
    ui->chkMatchCase->setChecked(job.Int1 == 1);
}

void TfrmReplaceDetails::StoreJob(TJob& job) const
{
    job.Str1 = m_texts.bytes(ui->edtString1, ui->edtString1->text());
    job.Str2 = m_texts.bytes(ui->edtString2, ui->edtString2->text());
    job.Modifier = ui->chkRegex->isChecked() ? replaceRegex : replaceText;
    job.Int1 = ui->chkMatchCase->isChecked() ? 1 : 0;
}

void TfrmReplaceDetails::accept()
{
    if (ui->chkRegex->isChecked() && !ui->edtString1->text().isEmpty()) {
        const TRegexReplace compiled(m_texts.bytes(ui->edtString1, ui->edtString1->text()),
            m_texts.bytes(ui->edtString2, ui->edtString2->text()), ui->chkMatchCase->isChecked());
        if (!compiled.Error().empty()) {
            const QString text
                = QStringLiteral("Invalid regular expression: ") + QString::fromStdString(compiled.Error());
            if (ShowMessage)
                ShowMessage(this, text);
            else
                QMessageBox::information(this, windowTitle(), text);
            ui->edtString1->setFocus();
            return;
        }
    }
    QDialog::accept();
}

void TfrmReplaceDetails::btnRegExHelpClick()
{
    if (ShowRegexHelp)
        ShowRegexHelp();
}

} // namespace brindle
