#pragma once

// Message numbers shared by the workers, the progress window and the main window.
// They keep the numbers of the window messages they stand for (WM_USER + n), so a log
// or a test can name them either way.

namespace korvida {

constexpr unsigned WM_USER = 0x400;

// Main window (besides the job messages below).
constexpr unsigned WM_POSITION_SLIDER = 0x465;  // wParam seconds, lParam 1 while dragging
constexpr unsigned WM_VOLUME_SETUP = 0x466;     // set up the master volume, load the disc
constexpr unsigned WM_RUN_PLAYER = 0x478;       // start the resolved MP3 player
constexpr unsigned WM_STATUS_HINT = 0x479;      // wParam: string id, 0 = device text
constexpr unsigned WM_SET_VOLUME = 0x47A;       // wParam: volume
constexpr unsigned WM_RIP_REQUEST = 0x480;      // wParam set: skip the redraw
constexpr unsigned WM_TITLE_EDITED = 0x48A;     // wParam: track index, text: new title
constexpr unsigned WM_RESTORE = 0xBD1;          // restore or raise the window

// Jobs: worker to progress window, progress window to main window.
constexpr unsigned WM_EXTRACT_PROGRESS = 0x464;  // wParam per-mille, lParam elapsed ms
constexpr unsigned WM_START_JOB = 0x467;         // wParam 0 rip, 1 file job (lParam kind)
constexpr unsigned WM_CANCEL_JOB = 0x468;
constexpr unsigned WM_ENCODE_PROGRESS = 0x469;  // wParam per-mille, lParam elapsed ms
constexpr unsigned WM_ITEM_STATUS = 0x46a;      // wParam 0 new item, 1 normalising, 2 peak
constexpr unsigned WM_ENCODE_STATUS = 0x46b;    // wParam 1 Ogg, 3 FLAC, 4 Opus, otherwise MP3
constexpr unsigned WM_JOB_DONE = 0x46c;         // completed or cancelled
constexpr unsigned WM_JOB_FAILED = 0x46d;       // stopped on an error
constexpr unsigned WM_JOB_LOG = 0x47d;          // text: one job-log line
constexpr unsigned WM_DECODE_STATUS = 0x481;    // text: the item's name
constexpr unsigned WM_CURRENT_TRACK = 0x482;    // wParam: track index
// Encoders working behind a rip's reading: an item a worker begins to encode, and its
// progress; 1000 per mille ends it (the worker is through with it, whatever its end).
constexpr unsigned WM_ENCODE_BEHIND =
    0x48b;  // wParam item number (1-based), lParam count, text: name
constexpr unsigned WM_ENCODE_BEHIND_PROGRESS = 0x48c;  // wParam per-mille, lParam item number
// A rip's read pass or finishing step (RipStep in wParam; lParam: a re-read's number).
constexpr unsigned WM_RIP_STEP = 0x48d;

// freedb transport threads to the wizard pages.
constexpr unsigned WM_FREEDB_STATUS = 0x483;
constexpr unsigned WM_FREEDB_ERROR = 0x484;
constexpr unsigned WM_FREEDB_READ_DONE = 0x485;  // lParam: revision << 16 | hasRevision
constexpr unsigned WM_FREEDB_QUERY_DONE = 0x486;
constexpr unsigned WM_FREEDB_SUBMIT_DONE = 0x487;
constexpr unsigned WM_FREEDB_SUBMIT_FAILED = 0x488;
constexpr unsigned WM_FREEDB_STOPPED = 0x489;

// The name of a message number ("WM_JOB_DONE"), or "unnamed" for one without a name.
const char* MessageName(unsigned id);

}  // namespace korvida
