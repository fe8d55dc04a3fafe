#include "core/batch/NormaliseThread.h"

#include "core/audio/Normalisation.h"
#include "core/batch/RunFileJobItems.h"
#include "core/rip/RipJob.h"

namespace korvida {
void NormaliseThread(RipJob& job) {
    const int normalizeRatio = job.settings.NormalizeRatio;
    RunFileJobItems(job, [&](RipJobItem& item, JobContext& context) {
        item.outputPath = item.name;  // normalised in place
        item.outputFolder = job.settings.OutputFolder;
        return NormaliseFile(item.name, context, normalizeRatio);
    });
}

}  // namespace korvida
