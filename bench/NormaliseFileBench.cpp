// Times NormaliseFile on one WAV file, in place, the way the normalise job runs it.
// Usage: NormaliseFileBench FILE [RATIO]. Prints the seconds taken.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/audio/Normalisation.h"
#include "core/jobs/Event.h"
#include "core/rip/RipJob.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [RATIO]\n", argv[0]);
        return 2;
    }
    korvida::Event cancel(false);
    korvida::RipJob job;
    job.context.cancelEvent = &cancel;
    const int ratio = argc > 2 ? std::atoi(argv[2]) : 95;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = korvida::NormaliseFile(argv[1], job.context, ratio);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", took.count());
    return ok ? 0 : 1;
}
