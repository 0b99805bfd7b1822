#include "jobs/UfrmPositionDetails.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace brindle
{

TPositionDetails::TPositionDetails(QWidget* parent)
    : QDialog(parent)
{
}

void TPositionDetails::initPosition(
    const TPositionControls& controls, QAbstractButton* btnOk, QAbstractButton* btnCancel)
{
    m_pos = controls;
    connect(new TFocusWatcher(m_pos.edtCharacterNumber), &TFocusWatcher::focusIn, this,
        &TPositionDetails::edtCharacterNumberEnter);
    connect(new TFocusWatcher(m_pos.rbBeforeString), &TFocusWatcher::focusIn, this,
        &TPositionDetails::edtBeforeEnter);
    connect(
        new TFocusWatcher(m_pos.edtBefore), &TFocusWatcher::focusIn, this, &TPositionDetails::edtBeforeEnter);
    connect(new TFocusWatcher(m_pos.rbAfterString), &TFocusWatcher::focusIn, this,
        &TPositionDetails::edtAfterEnter);
    connect(
        new TFocusWatcher(m_pos.edtAfter), &TFocusWatcher::focusIn, this, &TPositionDetails::edtAfterEnter);
    connect(btnOk, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    SetFixedDialogFrame(this);
}

void TPositionDetails::loadPosition(std::int32_t modifier, std::int32_t n, const std::string& anchor)
{
    switch (modifier) {
    case 0:
        m_pos.rbBegin->setChecked(true);
        break;
    case 1:
        m_pos.rbEnd->setChecked(true);
        break;
    case 2:
        m_pos.rbAfterChar->setChecked(true);
        m_pos.edtCharacterNumber->setValue(n);
        break;
    case 3:
        m_pos.rbBeforeString->setChecked(true);
        m_pos.edtBefore->setText(m_texts.show(m_pos.edtBefore, anchor));
        m_pos.edtAfter->clear();
        break;
    case 4:
        m_pos.rbAfterString->setChecked(true);
        m_pos.edtBefore->clear();
        m_pos.edtAfter->setText(m_texts.show(m_pos.edtAfter, anchor));
        break;
    case 5:
        m_pos.rbBeforeExt->setChecked(true);
        break;
    default:
        break;
    }
}

void TPositionDetails::storePosition(std::int32_t& modifier, std::int32_t& n, std::string& anchor) const
{
    if (m_pos.rbBegin->isChecked()) {
        modifier = 0;
    } else if (m_pos.rbEnd->isChecked()) {
        modifier = 1;
    } else if (m_pos.rbAfterChar->isChecked()) {
        modifier = 2;
        n = SpinValue(m_pos.edtCharacterNumber);
    } else if (m_pos.rbBeforeString->isChecked()) {
        modifier = 3;
        anchor = m_texts.bytes(m_pos.edtBefore, m_pos.edtBefore->text());
    } else if (m_pos.rbAfterString->isChecked()) {
        modifier = 4;
        anchor = m_texts.bytes(m_pos.edtAfter, m_pos.edtAfter->text());
    } else if (m_pos.rbBeforeExt->isChecked()) {
        modifier = 5;
    }
}

void TPositionDetails::edtCharacterNumberEnter()
{
    m_pos.rbAfterChar->setChecked(true);
}

void TPositionDetails::edtBeforeEnter()
{
    if (m_pos.rbAfterString->isChecked())
        m_pos.edtBefore->setText(m_pos.edtAfter->text());
    m_pos.rbBeforeString->setChecked(true);
}

void TPositionDetails::edtAfterEnter()
{
    if (m_pos.rbBeforeString->isChecked())
        m_pos.edtAfter->setText(m_pos.edtBefore->text());
    m_pos.rbAfterString->setChecked(true);
}

} // namespace brindle
