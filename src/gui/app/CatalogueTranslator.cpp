#include "gui/app/CatalogueTranslator.h"

#include "core/text/Translate.h"

namespace korvida::gui {

QString CatalogueTranslator::translate(const char*, const char* sourceText, const char*,
                                       int) const {
    if (!sourceText)
        return {};
    const char* text = Tr(sourceText);
    // The catalogue hands back the id itself when it has no entry.
    if (text == sourceText)
        return {};
    return QString::fromUtf8(text);
}

}  // namespace korvida::gui
