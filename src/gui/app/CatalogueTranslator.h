#pragma once

#include <QTranslator>

namespace korvida::gui {

// Qt's tr() texts through the program's one message catalogue, so translators meet one
// file for the core, the command line and the windows alike. A text without an entry is
// left to Qt, which shows the source text.
class CatalogueTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

}  // namespace korvida::gui
