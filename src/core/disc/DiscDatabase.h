#pragma once

#include <string>

#include "core/disc/DiscInfo.h"
#include "core/disc/DiscToc.h"
#include "core/disc/TrackList.h"

namespace korvida {

class ProfileFile;
class UserNotifier;

// "不能打开目录 %sdb 。" with the app home: the db/ folder cannot be made.
std::string DbFolderMessage();

// Makes sure the app home's db/ folder exists; tells the user when it cannot be made.
bool EnsureDbFolder(UserNotifier& notifier);

// Stores the disc in its database file: the thirteen per-track sections for every row
// of `rows` in list order (keyed "%02d" of the row's track index + 1), then "DISC". The
// file is replaced whole; keys of other tracks already in it stay. False when the
// folder or the file cannot be written (the user has been told).
bool SaveDiscDatabase(const DiscInfo& disc, const TrackList& rows, UserNotifier& notifier);

// The reading half of a disc load, from an open database file: the revision counters
// and album fields (not Title or Genre), then for each track of `toc` its fields, each
// keeping its current value when the entry lacks it, the title falling back to
// "音轨 %d" with the TOC track number.
void ReadDiscDatabase(const ProfileFile& file, const DiscToc& toc, DiscInfo& disc);

// The leading decimal number of a text, 0 when it has none.
int LeadingNumber(const std::string& text);

}  // namespace korvida
