#pragma once

#include <array>
#include <string>

namespace korvida {

// The names one entry of a disc's CD-Text gives, as UTF-8; empty when it gives none.
struct CdTextEntry {
    std::string title;
    std::string performer;
    std::string songwriter;
};

// What one block of a disc's CD-Text says: entry 0 for the disc, entry n for TOC track n.
struct CdText {
    std::array<CdTextEntry, 100> entries;

    bool Empty() const {
        for (const CdTextEntry& e : entries)
            if (!e.title.empty() || !e.performer.empty() || !e.songwriter.empty())
                return false;
        return true;
    }
};

}  // namespace korvida
