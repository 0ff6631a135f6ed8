// The frame writer: any sequence of frames, written one over another (resizes and repaints
// among them), leaves a terminal emulator showing the last frame, cell by cell.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.hpp"
#include "support/frame_emulator.hpp"
#include "support/random_frames.hpp"
#include "term/frame_writer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto pick = [&input](int bound) {
        return bound <= 1 ? 0 : input.ConsumeIntegralInRange<int>(0, bound - 1);
    };
    Frame frame = make_frame(1 + pick(16), 2 + pick(40));
    FrameEmulator terminal(frame.rows, frame.cols);
    FrameWriter writer;
    while (input.remaining_bytes() > 0) {
        const Frame next = next_random_frame(frame, pick);
        if (next.rows != frame.rows || next.cols != frame.cols) {
            terminal.resize(next.rows, next.cols);
        }
        std::string out;
        write_frame(&writer, next, pick(16) == 0, &out);
        terminal.feed(out);
        frame = next;
        FUZZ_CHECK(terminal.mismatch(frame).empty());
    }
    return 0;
}
