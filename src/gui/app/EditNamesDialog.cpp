#include "gui/app/EditNamesDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

namespace brindle
{

namespace
{

QPlainTextEdit* namePane(const QString& objectName, const QStringList& lines, QWidget* parent)
{
    auto* pane = new QPlainTextEdit(parent);
    pane->setObjectName(objectName);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pane->setPlainText(lines.join(QLatin1Char('\n')));
    return pane;
}

} // namespace

EditNamesDialog::EditNamesDialog(const QStringList& oldNames, const QStringList& newNames, QWidget* parent)
    : QDialog(parent)
    , m_count(oldNames.size())
{
    setObjectName(QStringLiteral("EditNamesDialog"));
    setWindowTitle(QStringLiteral("Edit New Names as Text"));
    m_old = namePane(QStringLiteral("edtOldNames"), oldNames, this);
    m_old->setReadOnly(true);
    m_new = namePane(QStringLiteral("edtNewNames"), newNames, this);
    // The panes scroll together, so each new name stays beside its old one.
    connect(m_new->verticalScrollBar(), &QScrollBar::valueChanged, m_old->verticalScrollBar(),
        &QScrollBar::setValue);
    connect(m_old->verticalScrollBar(), &QScrollBar::valueChanged, m_new->verticalScrollBar(),
        &QScrollBar::setValue);

    auto* oldLabel = new QLabel(QStringLiteral("Current names"), this);
    auto* newLabel = new QLabel(QStringLiteral("New names (one a line)"), this);
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));
    m_problem->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &EditNamesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EditNamesDialog::reject);

    auto* panes = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(oldLabel);
    left->addWidget(m_old);
    auto* right = new QVBoxLayout;
    right->addWidget(newLabel);
    right->addWidget(m_new);
    panes->addLayout(left);
    panes->addLayout(right);
    auto* box = new QVBoxLayout(this);
    box->addLayout(panes, 1);
    box->addWidget(m_problem);
    box->addWidget(buttons);
    resize(760, 420);
    // The new names are what the user came to edit.
    m_new->setFocus();
}

QStringList EditNamesDialog::newNames() const
{
    QStringList lines = m_new->toPlainText().split(QLatin1Char('\n'));
    // An editor's last line break makes no name.
    if (lines.size() == m_count + 1 && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

QString EditNamesDialog::problem() const
{
    const QStringList lines = newNames();
    if (lines.size() != m_count)
        return QStringLiteral(
            "There are %1 lines for %2 names: each line is the new name of the name beside it.")
            .arg(lines.size())
            .arg(m_count);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            return QStringLiteral("Line %1 is empty.").arg(i + 1);
        if (lines[i].contains(QLatin1Char('/')))
            return QStringLiteral("Line %1 holds \"/\", which no name can hold.").arg(i + 1);
    }
    return {};
}

void EditNamesDialog::accept()
{
    const QString why = problem();
    if (!why.isEmpty()) {
        m_problem->setText(why);
        m_problem->show();
        return;
    }
    QDialog::accept();
}

} // namespace brindle
