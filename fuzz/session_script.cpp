// Session scripts (TAVELO_UI=script:FILE): any text is read into commands or refused with a
// message naming its line.
#include "app/scripted_session.hpp"
#include "fuzz/fuzz_support.hpp"

using namespace tavelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto result = parse_script(fuzz::bytes_of(data, size));
  if (const auto* error = std::get_if<ScriptError>(&result)) {
    fuzz::check(error->message.starts_with("script, ligne "), "a refusal names its line");
    return 0;
  }
  for (const ScriptCommand& command : std::get<std::vector<ScriptCommand>>(result)) {
    fuzz::check(command.line >= 1, "a command comes from a line");
  }
  return 0;
}
