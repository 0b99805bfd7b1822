#include "gui/jobs/PositionJobDialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "gui/jobs/DialogFrame.h"
#include "gui/jobs/FocusWatcher.h"
#include "gui/jobs/NumberField.h"

namespace brindle
{

PositionJobDialog::PositionJobDialog(QWidget* parent)
    : QDialog(parent)
{
}

void PositionJobDialog::initPosition(
    const PositionControls& controls, QAbstractButton* btnOk, QAbstractButton* btnCancel)
{
    m_pos = controls;
    connect(new FocusWatcher(m_pos.edtCharacterNumber), &FocusWatcher::focusIn, this,
        &PositionJobDialog::edtCharacterNumberEnter);
    connect(new FocusWatcher(m_pos.rbBeforeString), &FocusWatcher::focusIn, this,
        &PositionJobDialog::edtBeforeEnter);
    connect(
        new FocusWatcher(m_pos.edtBefore), &FocusWatcher::focusIn, this, &PositionJobDialog::edtBeforeEnter);
    connect(new FocusWatcher(m_pos.rbAfterString), &FocusWatcher::focusIn, this,
        &PositionJobDialog::edtAfterEnter);
    connect(
        new FocusWatcher(m_pos.edtAfter), &FocusWatcher::focusIn, this, &PositionJobDialog::edtAfterEnter);
    connect(btnOk, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::reject);
    setFixedDialogFrame(this);
}

void PositionJobDialog::loadPosition(std::int32_t modifier, std::int32_t n, const std::string& anchor)
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

void PositionJobDialog::storePosition(std::int32_t& modifier, std::int32_t& n, std::string& anchor) const
{
    if (m_pos.rbBegin->isChecked()) {
        modifier = 0;
    } else if (m_pos.rbEnd->isChecked()) {
        modifier = 1;
    } else if (m_pos.rbAfterChar->isChecked()) {
        modifier = 2;
        n = spinValue(m_pos.edtCharacterNumber);
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

void PositionJobDialog::edtCharacterNumberEnter()
{
    m_pos.rbAfterChar->setChecked(true);
}

void PositionJobDialog::edtBeforeEnter()
{
    if (m_pos.rbAfterString->isChecked())
        m_pos.edtBefore->setText(m_pos.edtAfter->text());
    m_pos.rbBeforeString->setChecked(true);
}

void PositionJobDialog::edtAfterEnter()
{
    if (m_pos.rbBeforeString->isChecked())
        m_pos.edtAfter->setText(m_pos.edtBefore->text());
    m_pos.rbAfterString->setChecked(true);
}

} // namespace brindle
