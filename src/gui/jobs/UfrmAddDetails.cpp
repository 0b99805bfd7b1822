#include "jobs/UfrmAddDetails.h"

#include "jobs/UJobDialogUtil.h"
#include "ui_UfrmAddDetails.h"

namespace brindle
{

TfrmAddDetails::TfrmAddDetails(QWidget* parent)
    : TPositionDetails(parent)
    , ui(std::make_unique<Ui::TfrmAddDetails>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

TfrmAddDetails::~TfrmAddDetails() = default;

void TfrmAddDetails::LoadJob(const TJob& job)
{
    if (job.JobType != jobInsert)
        return;
    ui->edtString->setText(m_texts.show(ui->edtString, job.Str1));
    loadPosition(job.Modifier, job.Int1, job.Str2);
}

void TfrmAddDetails::StoreJob(TJob& job) const
{
    job.Str1 = m_texts.bytes(ui->edtString, ui->edtString->text());
    storePosition(job.Modifier, job.Int1, job.Str2);
}

} // namespace brindle
