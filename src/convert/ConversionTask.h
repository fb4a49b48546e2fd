#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/RingBuffer.h"
#include "settings/ConversionSettings.h"
#include "tags/TagSet.h"

namespace tonquill {

// One conversion job. Copies copy every member (the running flags by value), so the batch
// driver can work on a copy of the task in the batch's list.
struct CConversionTask {
    std::string SourcePath;
    int32_t InputType = 0;
    int32_t SourceRate = 0;
    int32_t SourceChannels = 0;
    uint8_t SourceTagKinds = 0;
    uint8_t TagKindsWritten = 0;
    std::string DestPath;
    int32_t OutputType = 0;
    int32_t TargetRate = 0;
    int32_t TargetChannels = 0;
    uint64_t EstimatedSamples = 0;  // interleaved, a multiple of TargetChannels
    uint64_t SourceSamples = 0;     // interleaved samples the list found in the source; 0 unknown
    // Interleaved samples the source's header promised, which a decoder that reads such a header
    // sets when it opens the file; 0 unknown. The list may have found fewer in a cut-off file.
    uint64_t HeaderSamples = 0;
    double SampleRatio = 0.0;
    int32_t NeedsProcessing = 0;
    // Set by each stage while it runs; a producer's flag falling is its consumers' end of stream.
    std::atomic<int32_t> DecoderRunning{0};
    std::atomic<int32_t> EncoderRunning{0};
    std::atomic<int32_t> ProcessorRunning{0};
    SampleRing* EncoderInput = nullptr;
    void* DecoderScratch = nullptr;
    TagSet Tags;

    CConversionTask() = default;
    CConversionTask(const CConversionTask& other);
    CConversionTask& operator=(const CConversionTask& other);
};

// What the batch preparation needs of one file-list row.
struct TaskSource {
    std::string folder;  // ends with '/'
    std::string fileName;
    // The folder the file was found under (a folder load, a tree folder, a dropped folder, a
    // folder on the command line), ending with '/'; empty for a file added on its own. Outputs
    // that keep their folders keep the ones between it and the file.
    std::string baseFolder;
    int inputType = 0;
    int sourceRate = 0;
    int sourceChannels = 0;
    uint8_t tagKinds = 0;
    uint64_t totalSamples = 0;  // interleaved samples of the whole source
    TagSet tags;
};

// Where the output of a source goes with these settings: the output folder (the source's own
// with "Same As Source"), the folders kept between the base folder and the source, then the name
// (the source's, or the name pattern's) with the output format's extension. Not yet unique.
std::string OutputPathOf(const TaskSource& source, const ConversionSettings& settings);

// Builds the task of one row with the current settings (output name, target rate and channels,
// estimated samples, processing flag, tags). The output name is not yet made unique: the batch
// driver settles it when the task runs.
CConversionTask PrepareTask(const TaskSource& source, const ConversionSettings& settings);

// A chosen source the batch leaves out because it cannot be read: its path, the name of the type
// it claims to be ("MP3") and why it cannot be read (empty when no reason is known).
struct LeftOutSource {
    std::string path;
    std::string typeName;
    std::string reason;
};

// The log line that tells of a source left out.
std::string LeftOutLine(const LeftOutSource& source);

struct PreparedBatch {
    std::vector<CConversionTask> tasks;
    uint64_t overallSamplesTotal = 0;
    std::vector<LeftOutSource> leftOut;
};

// Prepares every row in order. When outputs go to OUTPUT.DesDir and it does not exist yet, it
// is created first; a failure there is reported by the driver for each task.
PreparedBatch PrepareBatch(const std::vector<TaskSource>& sources,
                           const ConversionSettings& settings);

}  // namespace tonquill
