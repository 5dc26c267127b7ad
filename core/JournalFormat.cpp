#include "core/JournalFormat.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "core/JsonReader.h"
#include "core/JsonString.h"

namespace tq37r {
namespace {

constexpr std::array<std::pair<JournalEntry::Kind, std::string_view>, 7> kKinds{{
    {JournalEntry::Kind::Read, "read"},
    {JournalEntry::Kind::Set, "set"},
    {JournalEntry::Kind::Save, "save"},
    {JournalEntry::Kind::FileLoaded, "file-loaded"},
    {JournalEntry::Kind::FileSaved, "file-saved"},
    {JournalEntry::Kind::Defaults, "defaults"},
    {JournalEntry::Kind::Label, "label"},
}};
constexpr std::array<std::pair<SaveVerdict::Kind, std::string_view>, 3> kVerdicts{{
    {SaveVerdict::Kind::Verified, "verified"},
    {SaveVerdict::Kind::Mismatched, "mismatched"},
    {SaveVerdict::Kind::NotVerified, "not verified"},
}};

template <typename Value, std::size_t N>
std::string_view nameOf(const std::array<std::pair<Value, std::string_view>, N>& names, Value value) {
    for (const auto& [v, name] : names) {
        if (v == value) {
            return name;
        }
    }
    return {};
}

template <typename Value, std::size_t N>
std::optional<Value> valueOf(const std::array<std::pair<Value, std::string_view>, N>& names,
                             std::string_view name) {
    for (const auto& [v, known] : names) {
        if (known == name) {
            return v;
        }
    }
    return std::nullopt;
}

template <typename Values> std::string numbers(const Values& values) {
    std::string text = "[";
    for (const auto& value : values) {
        text += (text.size() > 1 ? "," : "");
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::optional<std::uint8_t>>) {
            text += value ? std::to_string(*value) : "null";
        } else {
            text += std::to_string(value);
        }
    }
    return text + "]";
}

std::string member(std::string_view name, std::string_view text) {
    // Appended piece by piece: GCC 12 warns falsely on "," + a string here.
    std::string out(1, ',');
    return out.append(jsonString(name)).append(1, ':').append(jsonString(text));
}

std::string specifics(const JournalEntry& e) {
    std::string text;
    if (e.row) {
        text += member("row", rowName(*e.row)) + ",\"before\":" + numbers(e.before) +
                ",\"after\":" + numbers(e.after);
    }
    if (e.verdict) {
        text += member("verdict", nameOf(kVerdicts, e.verdict->kind));
        if (!e.verdict->mismatches.empty()) {
            text += ",\"differ\":[";
            for (const SaveVerdict::Mismatch& m : e.verdict->mismatches) {
                text += (text.back() == '[' ? "{" : ",{") + std::string("\"name\":") +
                        jsonString(kGains[m.gain].fileName) + ",\"reads\":" + std::to_string(m.reads) +
                        ",\"saved\":" + std::to_string(m.saved) + "}";
            }
            text += "]";
        }
    }
    if (!e.file.empty()) {
        text += member("file", e.file);
    }
    if (e.kind == JournalEntry::Kind::Label) {
        text += member("snapshot", e.snapshot) + member("label", e.label);
    }
    if (e.gains) {
        text += ",\"gains\":" + numbers(*e.gains);
    }
    return text;
}

std::string stringMember(const JsonValue& object, std::string_view name) {
    const JsonValue* value = object.member(name);
    const std::string* s = value != nullptr ? value->string() : nullptr;
    return s != nullptr ? *s : std::string();
}

// A list of gains, each a byte or null; nullopt when it is not `size` of them.
template <std::size_t Size>
std::optional<std::array<std::optional<std::uint8_t>, Size>> gainList(const JsonValue& object,
                                                                      std::string_view name) {
    const JsonValue* value = object.member(name);
    const JsonValue::Array* items = value != nullptr ? value->array() : nullptr;
    if (items == nullptr || items->size() != Size) {
        return std::nullopt;
    }
    std::array<std::optional<std::uint8_t>, Size> gains{};
    for (std::size_t i = 0; i < Size; ++i) {
        if (const std::optional<std::int64_t> v = (*items)[i].integer(0, 255)) {
            gains[i] = static_cast<std::uint8_t>(*v);
        } else if (!std::holds_alternative<std::nullptr_t>((*items)[i].value)) {
            return std::nullopt;
        }
    }
    return gains;
}

void readSet(const JsonValue& object, JournalEntry& e) {
    const std::string row = stringMember(object, "row");
    for (const GainRow& r : kGainRows) {
        if (rowName(r.group) == row) {
            e.row = r.group;
        }
    }
    if (const auto before = gainList<kGainsPerRow>(object, "before")) {
        e.before = *before;
    }
    if (const auto after = gainList<kGainsPerRow>(object, "after")) {
        for (std::size_t k = 0; k < kGainsPerRow; ++k) {
            e.after[k] = (*after)[k].value_or(0);
        }
    }
}

void readVerdict(const JsonValue& object, JournalEntry& e) {
    const std::optional<SaveVerdict::Kind> kind = valueOf(kVerdicts, stringMember(object, "verdict"));
    if (!kind) {
        return;
    }
    e.verdict = SaveVerdict{*kind, {}};
    const JsonValue* differ = object.member("differ");
    if (differ == nullptr || differ->array() == nullptr) {
        return;
    }
    for (const JsonValue& item : *differ->array()) {
        const std::optional<std::size_t> gain = findGain(stringMember(item, "name"));
        const JsonValue* reads = item.member("reads");
        const JsonValue* saved = item.member("saved");
        const auto readsValue = reads != nullptr ? reads->integer(0, 255) : std::nullopt;
        const auto savedValue = saved != nullptr ? saved->integer(0, 255) : std::nullopt;
        if (gain && readsValue && savedValue) {
            e.verdict->mismatches.push_back(
                {*gain, static_cast<std::uint8_t>(*readsValue), static_cast<std::uint8_t>(*savedValue)});
        }
    }
}

} // namespace

std::string_view verdictName(SaveVerdict::Kind kind) {
    return nameOf(kVerdicts, kind);
}

std::string rowName(GainGroup group) {
    std::string name(rowOf(group).name);
    for (char& c : name) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return name;
}

std::string formatJournalLine(const JournalEntry& e, std::string_view time, std::string_view program,
                              std::string_view id) {
    std::string line = "{\"v\":1" + member("time", time) + member("program", program) +
                       member("kind", nameOf(kKinds, e.kind));
    if (!id.empty()) {
        line += member("id", id);
    }
    if (!e.port.empty()) {
        line += member("port", e.port) + member("device", e.device) + ",\"baud\":" + std::to_string(e.baud);
    }
    if (!e.firmware.empty()) {
        line += member("firmware", e.firmware);
    }
    return line + specifics(e) + "}";
}

std::optional<JournalRecord> parseJournalLine(std::string_view line) {
    const std::optional<JsonValue> object = parseJson(line);
    if (!object || !std::holds_alternative<JsonValue::Object>(object->value)) {
        return std::nullopt;
    }
    JournalRecord r;
    r.kindName = stringMember(*object, "kind");
    r.time = stringMember(*object, "time");
    r.program = stringMember(*object, "program");
    r.id = stringMember(*object, "id");
    const std::optional<JournalEntry::Kind> kind = valueOf(kKinds, r.kindName);
    r.knownKind = kind.has_value();
    JournalEntry& e = r.entry;
    e.kind = kind.value_or(JournalEntry::Kind::Read);
    e.port = stringMember(*object, "port");
    e.device = stringMember(*object, "device");
    if (const JsonValue* baud = object->member("baud")) {
        e.baud = static_cast<std::uint32_t>(baud->integer(0, 4'000'000).value_or(0));
    }
    e.firmware = stringMember(*object, "firmware");
    e.gains = gainList<kGainCount>(*object, "gains");
    e.file = stringMember(*object, "file");
    e.snapshot = stringMember(*object, "snapshot");
    e.label = stringMember(*object, "label");
    readSet(*object, e);
    readVerdict(*object, e);
    // A snapshot must give every gain, or it is no snapshot to go back to.
    if (r.isSnapshot() &&
        (!e.gains || std::find(e.gains->begin(), e.gains->end(), std::nullopt) != e.gains->end())) {
        r.knownKind = false;
    }
    return r;
}

} // namespace tq37r
