#pragma once

#include <QSpinBox>

namespace korvida::gui {

// A number field with a spin button whose arrows stay inside the allowed range while any
// number of a digit more can be typed: a value out of range is caught by the page's field
// check with its message, not silently replaced by the nearest bound. The range is the
// setting's own, given when the page binds the edit to its key.
class NumberEdit : public QSpinBox {
    Q_OBJECT

  public:
    explicit NumberEdit(QWidget* parent = nullptr);

    int lo() const { return lo_; }
    int hi() const { return hi_; }
    void setBounds(int lo, int hi);

    void stepBy(int steps) override;

  protected:
    StepEnabled stepEnabled() const override;

  private:
    int lo_ = 0;
    int hi_ = 0;
};

}  // namespace korvida::gui
