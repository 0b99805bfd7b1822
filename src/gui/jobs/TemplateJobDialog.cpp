#include "gui/jobs/TemplateJobDialog.h"

#include <QMenu>
#include <QMessageBox>

#include "core/jobs/NameTemplate.h"
#include "gui/base/DisplayName.h"
#include "gui/jobs/NumberField.h"
#include "ui_TemplateJobDialog.h"

namespace brindle
{

TemplateJobDialog::TemplateJobDialog(QWidget* parent)
    : PositionJobDialog(parent)
    , ui(std::make_unique<Ui::TemplateJobDialog>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
    ui->btnTokens->setMenu(tokenMenu());
    connect(ui->edtTemplate, &QLineEdit::textChanged, this, &TemplateJobDialog::updateSample);
    for (QRadioButton* option : {ui->rbInPlace, ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString,
             ui->rbAfterString, ui->rbBeforeExt})
        connect(option, &QRadioButton::toggled, this, &TemplateJobDialog::updateSample);
    connect(ui->edtCharacterNumber, &QSpinBox::valueChanged, this, &TemplateJobDialog::updateSample);
    connect(ui->edtBefore, &QLineEdit::textChanged, this, &TemplateJobDialog::updateSample);
    connect(ui->edtAfter, &QLineEdit::textChanged, this, &TemplateJobDialog::updateSample);
}

TemplateJobDialog::~TemplateJobDialog() = default;

QMenu* TemplateJobDialog::tokenMenu()
{
    struct Group {
        const char* title;
        std::initializer_list<std::pair<const char*, const char*>> tokens;
    };
    const Group groups[] = {
        {"File",
            {{"{name}", "the name before the extension"}, {"{ext}", "the extension"},
                {"{folder}", "the folder's name"}, {"{counter:3}", "the counter, 3 digits"},
                {"{modified:%Y-%m-%d}", "modification date"}, {"{created:%Y-%m-%d}", "creation date"}}},
        {"Photo",
            {{"{taken:%Y-%m-%d}", "date taken"}, {"{taken:%Y%m%d_%H%M%S}", "date and time taken"},
                {"{taken|modified:%Y-%m-%d}", "date taken, else modified"}, {"{make}", "camera make"},
                {"{model}", "camera model"}, {"{lens}", "lens"}, {"{iso}", "ISO speed"},
                {"{width}x{height}", "size in pixels"}}},
        {"Audio",
            {{"{artist|\"Unknown artist\"}", "artist"}, {"{albumartist}", "album artist"},
                {"{album}", "album"}, {"{title}", "title"}, {"{track:2}", "track number, 2 digits"},
                {"{disc}", "disc number"}, {"{year}", "year"}, {"{genre}", "genre"}}},
        {"Document", {{"{title}", "title"}, {"{author}", "author"}}},
    };
    auto* menu = new QMenu(this);
    for (const Group& group : groups) {
        QMenu* sub = menu->addMenu(QString::fromUtf8(group.title));
        for (const auto& [token, meaning] : group.tokens) {
            const QString text = QString::fromUtf8(token);
            QAction* action = sub->addAction(QStringLiteral("%1\t%2").arg(text, QString::fromUtf8(meaning)));
            connect(action, &QAction::triggered, this, [this, text] { insertToken(text); });
        }
    }
    return menu;
}

void TemplateJobDialog::insertToken(const QString& token)
{
    ui->edtTemplate->insert(token);
    ui->edtTemplate->setFocus();
}

void TemplateJobDialog::loadJob(const Job& job)
{
    if (job.jobType != jobTemplate)
        return;
    ui->edtTemplate->setText(m_texts.show(ui->edtTemplate, job.str1));
    if (job.modifier == posInPlaceOfName)
        ui->rbInPlace->setChecked(true);
    else
        loadPosition(job.modifier, job.int1, job.str2);
    updateSample();
}

void TemplateJobDialog::storeJob(Job& job) const
{
    job.jobType = jobTemplate;
    job.str1 = m_texts.bytes(ui->edtTemplate, ui->edtTemplate->text());
    if (ui->rbInPlace->isChecked())
        job.modifier = posInPlaceOfName;
    else
        storePosition(job.modifier, job.int1, job.str2);
}

QString TemplateJobDialog::sampleText() const
{
    return ui->lblSample->text();
}

void TemplateJobDialog::updateSample()
{
    Job job = Job::create(jobTemplate);
    job.modifier = posInPlaceOfName;
    storeJob(job);
    const std::string error = job.templateError();
    if (!error.empty()) {
        ui->lblSample->setText(QStringLiteral("Invalid template: ") + nameForDisplay(error));
        return;
    }
    if (!sample) {
        ui->lblSample->clear();
        return;
    }
    std::string failure;
    const std::string made = sample(job, failure);
    ui->lblSample->setText(failure.empty() ? QStringLiteral("Sample: ") + nameForDisplay(made)
                                           : QStringLiteral("Sample: ") + nameForDisplay(made)
                + QStringLiteral(" (keeps its name: ") + nameForDisplay(failure) + QLatin1Char(')'));
}

void TemplateJobDialog::accept()
{
    Job job = Job::create(jobTemplate);
    storeJob(job);
    if (const std::string error = job.templateError(); !error.empty()) {
        const QString text = QStringLiteral("Invalid template: ") + nameForDisplay(error);
        if (showMessage)
            showMessage(this, text);
        else
            QMessageBox::information(this, windowTitle(), text);
        ui->edtTemplate->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace brindle
