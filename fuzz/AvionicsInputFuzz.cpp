// Typed and dropped avionics input: any text committed to any field, and any dropped frequency
// array shown in the picker. No crash, no unbounded loop.
#include <cstdint>
#include <string_view>

#include "plotr/sim/Avionics.h"
#include "plotr/views/ClipFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto& fields = avionics::Fields();
  const avionics::FieldDef& field = fields[data[0] % fields.size()];
  avionics::CommitField(field.id, rest, data[0] & 1 ? 70 : 90);
  if (const auto entries = clip::ReadComArray(rest)) avionics::PickerLines(*entries);
  if (const auto value = clip::ReadFloat(rest)) avionics::CommitField(field.id, avionics::CPilotEditState::DropText(*value), 90);
  return 0;
}
