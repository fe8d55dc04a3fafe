#pragma once

#include <string>

namespace korvida {

struct JobContext;

// Decodes the FLAC file `source` into a PCM WAV file at `output` that holds exactly the
// stream's samples, at its rate, channel count and sample size (whole bytes: 8, 16, 24 or
// 32 bits): a FLAC made from a rip gives back that rip's WAV byte for byte. The decoded
// samples are checked against the stream's MD5 signature when it has one.
//
// Lines go to the job log (context.mainWindow); WM_DECODE_STATUS and WM_ENCODE_PROGRESS
// to context.progressWindow. Returns 1 when the WAV was written. Returns 0 after an
// error, which it has logged, and when the user cancelled (context.aborted is then set).
// The WAV is written beside its name and moved there when complete: a damaged stream, a
// failed check, a failed write or a cancel leaves no file, and a file of that name from
// before stays as it was.
int DecodeFlacToWav(const std::string& source, const std::string& output, JobContext& context);

}  // namespace korvida
