// The drive link's wire protocol: framing bytes, limits, command codes and refusal codes.
//
// A frame is SOH, then the escaped bytes of: word count N (16-bit), N words (16-bit), the
// CRC-16/MODBUS of the count and the words; every 16-bit value low byte first. After SOH,
// 0x01 goes out as 0x10 0x11 and 0x10 as 0x10 0x00. N is at most 511.
// Words are numbered from the count (word 0). Word 1: sequence number (1..65535), which the
// reply repeats. Word 2 of a request: axis in the high byte, command code in the low byte;
// word 2 of a reply: 0x80 | command code (success) or 0x80 | refusal code in the low byte.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tools700::wire {

constexpr uint8_t kSOH = 0x01;  // starts a frame, never escaped
constexpr uint8_t kSTX = 0x02;  // starts an R-cal value (4 hex digits, least significant first)
constexpr uint8_t kDLE = 0x10;  // escape: the next byte is XORed with 0x10

constexpr uint16_t kMaxFrameWords = 511;    // largest N
constexpr std::size_t kFrameBufferWords = 512;  // word 0 (N) plus 511 words
// Largest encoded frame: SOH + every byte of count, 511 words and CRC escaped.
constexpr std::size_t kMaxEncodedFrameBytes = 1 + 2 * (2 + 2 * kMaxFrameWords + 2);

constexpr uint8_t kReplyFlag = 0x80;

// Command codes (low byte of request word 2).
enum Command : uint8_t {
    CMD_GET_INT = 1,
    CMD_PUT_INT = 2,
    CMD_GET_FLOAT = 3,
    CMD_PUT_FLOAT = 4,
    CMD_EXEC = 5,
    CMD_READ_SCOPE = 6,
    CMD_SET_DRIVE_ADRS = 7,
    CMD_GET_VARS = 8,
    CMD_PUT_VARS = 9,
    CMD_UPCR = 12,
    CMD_LOAD_SEGMENT = 13,
};

// The drive's refusal codes (reply command byte 0x80 | code); passed to callers as 65..68.
enum Refusal : uint8_t {
    REFUSE_READONLY = 0x41,
    REFUSE_BOUNDS = 0x42,
    REFUSE_NO_SUCH_COMMAND = 0x43,
    REFUSE_NOT_IMPLEMENTED = 0x44,
};

// Word counts N of every message kind: requests as sent, replies as the largest the host takes.
namespace count {
constexpr uint16_t kGetVarRequest = 3, kGetVarReply = 4;
constexpr uint16_t kPutVarRequest = 5, kPutVarReply = 4;
constexpr uint16_t kExeCmdRequest = 3, kExeCmdReply = 3;
constexpr uint16_t kScopeRequest = 10, kScopeReply = 207;
constexpr uint16_t kSetDriveAdrsRequest = 3, kSetDriveAdrsReply = 3;
constexpr uint16_t kGetVarsRequest = 36, kGetVarsReply = 70;
constexpr uint16_t kPutVarsRequest = 100, kPutVarsReply = 4;
constexpr uint16_t kUpcrRequest = 8, kUpcrReply = 8;
constexpr uint16_t kLoadSegmentRequest = 69, kLoadSegmentReply = 8;
}  // namespace count

constexpr int kVarSlots = 32;          // GetVars/PutVars slots
constexpr uint16_t kEmptySlot = 0xFFFF; // id of an unused slot
constexpr int kScopeSamples = 100;      // samples per channel in one scope reply
constexpr int kMaxSegmentWords = 64;    // data words of one load-segment request
constexpr uint16_t kUpcrRead = 1, kUpcrWrite = 2;

}  // namespace tools700::wire
