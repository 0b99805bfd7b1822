#include "jobs/UfrmReplaceDetails.h"

#include "ui_UfrmReplaceDetails.h"

namespace brindle
{

TfrmReplaceDetails::TfrmReplaceDetails(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TfrmReplaceDetails>())
{
    ui->setupUi(this);
    ui->chkRegex->hide();
    ui->btnRegExHelp->hide();
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
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

} // namespace brindle
