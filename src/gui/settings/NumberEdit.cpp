#include "gui/settings/NumberEdit.h"

#include <algorithm>

namespace korvida::gui {

NumberEdit::NumberEdit(QWidget* parent) : QSpinBox(parent) {
    // Wide enough for a stored value far out of range to show as it is.
    setRange(-9999999, 99999999);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
}

void NumberEdit::setBounds(int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
}

void NumberEdit::stepBy(int steps) {
    setValue(std::clamp(value() + steps, lo_, hi_));
    selectAll();
}

QAbstractSpinBox::StepEnabled NumberEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < hi_)
        enabled |= StepUpEnabled;
    if (value() > lo_)
        enabled |= StepDownEnabled;
    return enabled;
}

}  // namespace korvida::gui
