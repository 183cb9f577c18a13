// The agent's own request-frame code: reading the console's requests from a
// connection and writing answers, well-formed or deliberately broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "refagent/agent_profile.h"

namespace zel::refagent {

inline constexpr size_t kFrameHeaderBytes = 12;

// Little-endian field writers and readers on byte vectors.
void put16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value);
void put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
uint16_t get16(const std::vector<uint8_t>& bytes, size_t offset);  // 0 beyond the end
uint32_t get32(const std::vector<uint8_t>& bytes, size_t offset);  // 0 beyond the end

enum class ReadOutcome { Request, Closed, BadFrame, Stopped };

// Reads one request frame from `fd`; every wait also ends when `stopFd`
// becomes readable.
ReadOutcome readRequest(int fd, int stopFd, std::vector<uint8_t>& payload);

// The bytes of a well-formed answer frame.
std::vector<uint8_t> answerFrame(const std::vector<uint8_t>& payload);

// The bytes of an answer frame broken as `fault` says.
std::vector<uint8_t> faultyFrame(const std::vector<uint8_t>& payload, FrameFault fault);

// Writes all bytes; false when the connection failed.
bool writeAll(int fd, const std::vector<uint8_t>& bytes);

}  // namespace zel::refagent
