#pragma once

#include <QSpinBox>

namespace korvida::gui {

// A number field with a spin button whose arrows stay inside the allowed range while any
// number of a digit more can be typed: a value out of range is caught by the page's field
// check with its message, not silently replaced by the nearest bound.
class NumberEdit : public QSpinBox {
    Q_OBJECT

  public:
    NumberEdit(int lo, int hi, QWidget* parent = nullptr);

    int lo() const { return lo_; }
    int hi() const { return hi_; }

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    int lo_;
    int hi_;
};

}  // namespace korvida::gui
