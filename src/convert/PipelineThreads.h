#pragma once

#include "convert/ConversionTask.h"
#include "convert/PipelineContext.h"

namespace tonquill {

// Runs one task's decoder on the calling thread after starting the task's next stage (the
// processing thread or the encoder thread). True on success.
bool DecodeTask(PipelineContext& ctx, CConversionTask& task);

// Body of the encoder thread: the encoder of the output format, then the tag step.
void EncoderThreadMain(PipelineContext& ctx, CConversionTask& task);

// Starts the encoder thread of a task.
void StartEncoderThread(PipelineContext& ctx, CConversionTask& task);

// Opens the source for reading and closes it again; false (with errno set) when it cannot.
bool CheckSourceReadable(const std::string& path);

}  // namespace tonquill
