#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;

namespace brindle
{

/// "Edit New Names as Text...": the current names (read only) beside the new names, one a line
/// and aligned, in two plain-text panes. The user edits the new names with everything a text
/// editor offers (search and replace, block edits, moving lines swaps names). OK takes the
/// lines only when there is one for each name, none is empty and none holds "/"; otherwise the
/// line is named and the dialog stays open.
class EditNamesDialog : public QDialog
{
    Q_OBJECT

public:
    EditNamesDialog(const QStringList& oldNames, const QStringList& newNames, QWidget* parent = nullptr);

    /// The new names as edited, one for each old name (after OK).
    QStringList newNames() const;
    /// Why the lines cannot be taken as they are, or empty.
    QString problem() const;

    void accept() override;

private:
    QPlainTextEdit* m_old;
    QPlainTextEdit* m_new;
    QLabel* m_problem;
    qsizetype m_count;
};

} // namespace brindle
