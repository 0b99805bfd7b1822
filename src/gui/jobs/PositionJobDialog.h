#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

#include "gui/jobs/ByteTextMemo.h"

class QAbstractButton;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace brindle
{

/// The part the insert, remove and counter dialogs share: six position options (begin, end,
/// after character N, before a string, after a string, before the extension), the number field
/// N beside the third and the two anchor fields beside the fourth and fifth, with the focus handlers that
/// check the option of the field being entered and carry the anchor text between before and after.
class PositionJobDialog : public QDialog
{
    Q_OBJECT

protected:
    /// The controls of the position options, as the form of the derived dialog built them.
    struct PositionControls {
        QRadioButton* rbBegin = nullptr;
        QRadioButton* rbEnd = nullptr;
        QRadioButton* rbAfterChar = nullptr;
        QRadioButton* rbBeforeString = nullptr;
        QRadioButton* rbAfterString = nullptr;
        QRadioButton* rbBeforeExt = nullptr;
        QSpinBox* edtCharacterNumber = nullptr;
        QLineEdit* edtBefore = nullptr;
        QLineEdit* edtAfter = nullptr;
    };

    explicit PositionJobDialog(QWidget* parent);

    /// Takes the controls of the derived form, connects the focus handlers and OK and Cancel.
    void initPosition(const PositionControls& controls, QAbstractButton* btnOk, QAbstractButton* btnCancel);

    /// Checks the option of modifier (0 to 5; any other value checks none); N goes into the
    /// number field for 2, the anchor into its field for 3 and 4 with the other one emptied.
    void loadPosition(std::int32_t modifier, std::int32_t n, const std::string& anchor);

    /// The first checked option sets modifier; N and the anchor are written only by the option
    /// that uses them. With no option checked nothing changes.
    void storePosition(std::int32_t& modifier, std::int32_t& n, std::string& anchor) const;

    /// The bytes behind the text fields of the dialog.
    ByteTextMemo m_texts;

private slots:
    void edtCharacterNumberEnter();
    void edtBeforeEnter();
    void edtAfterEnter();

private:
    PositionControls m_pos;
};

} // namespace brindle
