#pragma once

namespace tonquill {

// The serial number of a new Ogg stream: the C library's generator seeded with the current time
// in seconds, first value. Two streams begun in the same second share it, which is harmless for
// files that hold one stream each. Seeding and drawing happen under one lock, so parallel
// pipelines cannot interleave them.
int NewOggSerial();

}  // namespace tonquill
