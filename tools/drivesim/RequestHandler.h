// Answers one decoded request for one drive: the reply words of every message kind, and a
// short description of the request for the trace and the log.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "SimDrive.h"
#include "tools700/wire/Drive.h"

namespace drivesim {

struct HandledRequest {
    explicit HandledRequest(std::uint16_t seq, std::uint8_t command) : reply(seq, command) {}
    tools700::wire::ReplyBuilder reply;
    std::string name = "-";   // what the request was about (variable, command, operation)
    std::string value = "-";  // the value read or written, or the request's parameters
    std::uint8_t refusal = 0; // 0 when the drive answered the request as asked
};

// The command's name as the trace shows it ("GET_INT", ...; "CMD_<n>" for an unknown code).
std::string CommandName(std::uint8_t command);
// True when `kind` is the trace name of a request kind (GET_INT, READ_SCOPE, ...).
bool IsRequestKind(const std::string& kind);

// The variables and commands a request names, as (kind, id) pairs: used to apply --refuse.
std::vector<std::pair<int, int>> NamedItems(const tools700::wire::Request& rq);
// A scope request by its operation, as the trace names it ("arm", "fetch"): --refuse names it so.
std::string ScopeRequestName(const tools700::wire::Request& rq);

// A refusal reply of the request's kind (its full reply length, every value word zero).
void Refuse(HandledRequest& h, const tools700::wire::Request& rq, std::uint8_t code);

// Runs the request on the drive at drive time `nowMs`.
HandledRequest HandleRequest(SimDrive& drive, const tools700::wire::Request& rq, double nowMs);

}  // namespace drivesim
