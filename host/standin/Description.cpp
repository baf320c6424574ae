#include "host/standin/Description.h"

#include "host/standin/ColorManagement.h"
#include "host/standin/Colors.h"
#include "host/standin/EPSExport.h"
#include "host/standin/EmbeddedData.h"
#include "host/standin/Faults.h"
#include "host/standin/Flattener.h"
#include "host/standin/Fonts.h"
#include "host/standin/Links.h"
#include "host/standin/Panels.h"
#include "host/standin/PlacedGraphics.h"
#include "host/standin/PlugInList.h"
#include "host/standin/Print.h"
#include "host/standin/Recorder.h"
#include "host/standin/Session.h"
#include "host/standin/Stream.h"
#include "host/standin/Tables.h"
#include "host/standin/Text.h"
#include "host/standin/Transparency.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <set>

namespace host {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// Bounds of what a description may hold.
constexpr std::size_t kMaxDescriptionBytes = 16u << 20;
constexpr int kMaxJsonDepth = 40;
constexpr int kMaxGroupDepth = 16;
constexpr std::size_t kMaxObjects = 100000; // layers, spreads, pages and items of a document
constexpr std::size_t kMaxListLength = 10000;
constexpr std::size_t kMaxPagesPerSpread = 100;
constexpr std::size_t kMaxDocuments = 100;
constexpr std::size_t kMaxFacets = 64;
constexpr std::size_t kMaxFacetBytes = 4u << 20;
constexpr std::size_t kMaxTextBytes = 1024;
constexpr std::size_t kMaxPlugins = 1000;
constexpr std::size_t kMaxStoryBytes = 1u << 20;
constexpr std::size_t kMaxFonts = 10000;
constexpr std::size_t kMaxAttributes = 64;      // image attributes of an item
constexpr std::int64_t kMaxTableCells = 100000; // rows times columns of a table
constexpr std::size_t kMaxTableAreas = 16;      // areas of a table frame

[[noreturn]] void Fail(const std::string& path, const std::string& message) {
    throw DescriptionError(path.empty() ? message : path + ": " + message);
}

class Object;

// One value of the description and where it stands ("spreads[0].pages[1].width").
class Field {
public:
    Field(const Json& json, std::string path) : m_json(json), m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    [[noreturn]] void Fail(const std::string& message) const { host::Fail(m_path, message); }

    double Number() const {
        if (!m_json.is_number())
            Fail("expected a number");
        const double value = m_json.get<double>();
        if (!std::isfinite(value))
            Fail("expected a finite number");
        return value;
    }
    bool Bool() const {
        if (!m_json.is_boolean())
            Fail("expected true or false");
        return m_json.get<bool>();
    }
    std::int32_t Int32(std::int32_t min = std::numeric_limits<std::int32_t>::min()) const {
        if (!m_json.is_number_integer())
            Fail("expected a whole number");
        const auto value = m_json.get<std::int64_t>();
        if (m_json.is_number_unsigned() && m_json.get<std::uint64_t>() > INT32_MAX)
            Fail("expected a whole number up to 2147483647");
        if (value < min || value > INT32_MAX)
            Fail("expected a whole number from " + std::to_string(min) + " to 2147483647");
        return static_cast<std::int32_t>(value);
    }
    UID Id() const {
        if (!m_json.is_number_unsigned() || m_json.get<std::uint64_t>() == 0 ||
            m_json.get<std::uint64_t>() > UINT32_MAX)
            Fail("expected an id from 1 to 4294967295");
        return UID(static_cast<std::uint32_t>(m_json.get<std::uint64_t>()));
    }
    std::string Text(std::size_t maxBytes = kMaxTextBytes) const {
        if (!m_json.is_string())
            Fail("expected a string");
        const auto& text = m_json.get_ref<const std::string&>();
        if (text.size() > maxBytes)
            Fail("longer than " + std::to_string(maxBytes) + " bytes");
        return text;
    }
    // "0x" and one to eight hex digits.
    std::uint32_t Hex() const { return ParseHex(Text(), *this); }
    static std::uint32_t ParseHex(const std::string& text, const Field& where) {
        if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] | 0x20) != 'x' ||
            text.find_first_not_of("0123456789abcdefABCDEF", 2) != std::string::npos)
            where.Fail("expected \"0x\" and one to eight hex digits");
        return static_cast<std::uint32_t>(std::stoul(text.substr(2), nullptr, 16));
    }
    // Bytes as pairs of hex digits.
    std::vector<std::uint8_t> HexBytes() const {
        if (!m_json.is_string())
            Fail("expected a string of hex digits");
        const auto& text = m_json.get_ref<const std::string&>();
        if (text.size() > 2 * kMaxFacetBytes)
            Fail("more than " + std::to_string(kMaxFacetBytes) + " bytes");
        if (text.size() % 2 != 0 ||
            text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            Fail("expected pairs of hex digits");
        std::vector<std::uint8_t> bytes(text.size() / 2);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
        return bytes;
    }
    std::vector<Field> Array(std::size_t maxLength) const {
        if (!m_json.is_array())
            Fail("expected an array");
        if (m_json.size() > maxLength)
            Fail("more than " + std::to_string(maxLength) + " entries");
        std::vector<Field> entries;
        entries.reserve(m_json.size());
        for (std::size_t i = 0; i < m_json.size(); ++i)
            entries.emplace_back(m_json[i], m_path + "[" + std::to_string(i) + "]");
        return entries;
    }
    std::vector<double> Numbers(std::size_t count) const {
        if (!m_json.is_array() || m_json.size() != count)
            Fail("expected an array of " + std::to_string(count) + " numbers");
        std::vector<double> numbers;
        for (const Field& entry : Array(count))
            numbers.push_back(entry.Number());
        return numbers;
    }
    PMRect Rect() const {
        const std::vector<double> n = Numbers(4);
        return {n[0], n[1], n[2], n[3]};
    }
    PMPoint Point() const {
        const std::vector<double> n = Numbers(2);
        return {n[0], n[1]};
    }
    PMMatrix Matrix() const {
        const std::vector<double> n = Numbers(6);
        return {n[0], n[1], n[2], n[3], n[4], n[5]};
    }
    Sides Margins() const {
        const std::vector<double> n = Numbers(4);
        return {n[0], n[1], n[2], n[3]};
    }
    Object Fields(std::initializer_list<std::string_view> known) const;
    bool Has(std::string_view name) const { return m_json.is_object() && m_json.contains(name); }
    bool IsText() const { return m_json.is_string(); }
    // The members of an object whose field names are data (facets by interface).
    std::vector<std::pair<std::string, Field>> Members(std::size_t maxCount) const {
        if (!m_json.is_object())
            Fail("expected an object");
        if (m_json.size() > maxCount)
            Fail("more than " + std::to_string(maxCount) + " fields");
        std::vector<std::pair<std::string, Field>> members;
        for (const auto& [name, value] : m_json.items())
            members.emplace_back(name, Field(value, m_path + "." + name));
        return members;
    }

private:
    const Json& m_json;
    std::string m_path;
};

// An object of the description: its fields are asked for by name, and a field that is not
// among the known ones is refused.
class Object {
public:
    Object(const Json& json, std::string path, std::initializer_list<std::string_view> known)
        : m_json(json), m_path(std::move(path)) {
        if (!m_json.is_object())
            host::Fail(m_path, "expected an object");
        for (const auto& [name, value] : m_json.items()) {
            bool isKnown = false;
            for (std::string_view k : known)
                isKnown = isKnown || k == name;
            if (!isKnown)
                host::Fail(PathOf(name), "unknown field");
        }
    }
    std::optional<Field> Optional(std::string_view name) const {
        auto found = m_json.find(name);
        if (found == m_json.end())
            return std::nullopt;
        return Field(*found, PathOf(name));
    }
    Field Required(std::string_view name) const {
        std::optional<Field> field = Optional(name);
        if (!field)
            host::Fail(PathOf(name), "missing");
        return *field;
    }

private:
    std::string PathOf(std::string_view name) const {
        return m_path.empty() ? std::string(name) : m_path + "." + std::string(name);
    }

    const Json& m_json;
    std::string m_path;
};

Object Field::Fields(std::initializer_list<std::string_view> known) const {
    return Object(m_json, m_path, known);
}

// The widest array any field takes: a longer one is refused while the text is read, before it
// is built.
constexpr std::size_t kMaxArrayLength = std::max({kMaxListLength, kMaxFonts, kMaxPlugins});

// A pass over the text that builds nothing: it refuses a nesting deeper than kMaxJsonDepth and
// an array longer than kMaxArrayLength, naming the array as the reader would.
class BoundsCheck {
public:
    bool null() { return Value(); }
    bool boolean(bool) { return Value(); }
    bool number_integer(Json::number_integer_t) { return Value(); }
    bool number_unsigned(Json::number_unsigned_t) { return Value(); }
    bool number_float(Json::number_float_t, const Json::string_t&) { return Value(); }
    bool string(Json::string_t&) { return Value(); }
    bool binary(Json::binary_t&) { return Value(); }
    bool start_object(std::size_t) { return Open(false); }
    bool start_array(std::size_t) { return Open(true); }
    bool key(Json::string_t& name) {
        CheckDepth();
        m_open.back().key = name;
        return true;
    }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    template <typename Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& error) {
        throw error;
    }

private:
    struct Container {
        bool array;
        std::size_t entries = 0;
        std::string key{}; // of the member being read
    };

    void CheckDepth() const {
        if (m_open.size() > static_cast<std::size_t>(kMaxJsonDepth))
            Fail("",
                 "the description nests deeper than " + std::to_string(kMaxJsonDepth) + " levels");
    }
    bool Value() {
        CheckDepth();
        if (!m_open.empty() && m_open.back().array && ++m_open.back().entries > kMaxArrayLength)
            Fail(PathOfInnermost(), "more than " + std::to_string(kMaxArrayLength) + " entries");
        return true;
    }
    bool Open(bool array) {
        Value();
        m_open.push_back({array});
        return true;
    }
    bool Close() {
        m_open.pop_back();
        return true;
    }
    // "spreads[0].items", as Field and Object name it.
    std::string PathOfInnermost() const {
        std::string path;
        for (std::size_t i = 0; i + 1 < m_open.size(); ++i) {
            if (m_open[i].array)
                path += "[" + std::to_string(m_open[i].entries - 1) + "]";
            else
                path += (path.empty() ? "" : ".") + m_open[i].key;
        }
        return path;
    }

    std::vector<Container> m_open;
};

// Linear in the text: the bounds are checked by a pass that builds nothing, then the values are
// built without a callback (nlohmann's callback parser rescans each array per element).
Json Parse(std::string_view text) {
    if (text.size() > kMaxDescriptionBytes)
        Fail("",
             "the description is larger than " + std::to_string(kMaxDescriptionBytes) + " bytes");
    try {
        BoundsCheck bounds;
        Json::sax_parse(text.begin(), text.end(), &bounds);
        return Json::parse(text.begin(), text.end());
    } catch (const Json::exception& error) {
        Fail("", std::string("not JSON: ") + error.what());
    }
}

// Reads the persistent facets of the boss from their hex; on a failure the facets read before
// are put back as they were.
void ReadFacets(const Boss& boss, const Field& field) {
    const std::vector<Boss::PersistentFacet> facets = boss.PersistentFacets();
    std::vector<std::pair<const Boss::PersistentFacet*, std::vector<std::uint8_t>>> before;
    const auto transfer = [](const Boss::PersistentFacet& facet, IPMStream& stream) {
        facet.readWrite(facet.object, &stream, facet.implementation);
    };
    try {
        for (const auto& [name, value] : field.Members(kMaxFacets)) {
            const PMIID iid(Field::ParseHex(name, value));
            const Boss::PersistentFacet* facet = nullptr;
            for (const Boss::PersistentFacet& candidate : facets)
                if (candidate.iid == iid)
                    facet = &candidate;
            if (!facet)
                value.Fail("no persistent facet " + Hex(iid.Get()) + " here");
            const std::vector<std::uint8_t> bytes = value.HexBytes();
            auto snapshot = MemoryStream::Writer();
            transfer(*facet, *snapshot);
            before.emplace_back(facet, snapshot->Bytes());
            auto reader = MemoryStream::Reader(bytes);
            try {
                transfer(*facet, *reader);
            } catch (const std::exception& error) {
                value.Fail(std::string("the facet does not read: ") + error.what());
            }
            if (reader->Failed())
                value.Fail("the facet's data ends early");
            if (reader->Remaining() != 0)
                value.Fail("the facet reads only " +
                           std::to_string(bytes.size() - reader->Remaining()) + " of its " +
                           std::to_string(bytes.size()) + " bytes");
        }
    } catch (const DescriptionError&) {
        for (auto entry = before.rbegin(); entry != before.rend(); ++entry) {
            auto reader = MemoryStream::Reader(entry->second);
            transfer(*entry->first, *reader);
        }
        throw;
    }
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

OrderedJson DumpFacets(const Boss& boss) {
    OrderedJson facets = OrderedJson::object();
    for (const Boss::PersistentFacet& facet : boss.PersistentFacets()) {
        auto writer = MemoryStream::Writer();
        facet.readWrite(facet.object, writer.get(), facet.implementation);
        facets[Hex(facet.iid.Get())] = HexBytes(writer->Bytes());
    }
    return facets;
}

// A colour profile: {"name": "SWOP", "path": "Z:/p/swop.icc", "space": 3, "class": 1,
// "kind": 1, "data": "<hex>"}; all but the name have the defaults of ColorProfileInfo.
ColorProfileInfo ReadProfile(const Object& fields) {
    ColorProfileInfo profile;
    profile.name = fields.Required("name").Text();
    if (auto path = fields.Optional("path"))
        profile.path = path->Text();
    if (auto space = fields.Optional("space"))
        profile.colorSpace = space->Int32();
    if (auto deviceClass = fields.Optional("class"))
        profile.deviceClass = deviceClass->Int32();
    if (auto kind = fields.Optional("kind"))
        profile.kind = kind->Int32();
    if (auto data = fields.Optional("data"))
        profile.data = data->HexBytes();
    return profile;
}

std::vector<ColorProfileInfo> ReadProfiles(const Field& field) {
    std::vector<ColorProfileInfo> profiles;
    for (const Field& profile : field.Array(kMaxListLength))
        profiles.push_back(
            ReadProfile(profile.Fields({"name", "path", "space", "class", "kind", "data"})));
    return profiles;
}

OrderedJson DumpProfile(const ColorProfileInfo& profile) {
    return {{"name", profile.name},        {"path", profile.path},
            {"space", profile.colorSpace}, {"class", profile.deviceClass},
            {"kind", profile.kind},        {"data", HexBytes(profile.data)}};
}

// The application's colour management, as a session gives it.
struct ColorManagementState {
    bool on = true;
    ColorPresets presets;
    std::vector<ColorProfileInfo> installed;
    std::optional<std::vector<ColorProfileInfo>> afterRefresh;
};

ColorManagementState ReadColorManagement(const Field& field) {
    const Object fields =
        field.Fields({"on", "presets", "installedProfiles", "profilesAfterRefresh"});
    ColorManagementState state;
    if (auto on = fields.Optional("on"))
        state.on = on->Bool();
    if (auto presets = fields.Optional("presets")) {
        const Object values = presets->Fields({"workingRGB", "workingCMYK", "colorEngine",
                                               "renderingIntent", "blackPointCompensation"});
        if (auto rgb = values.Optional("workingRGB"))
            state.presets.workingRGB = rgb->Text();
        if (auto cmyk = values.Optional("workingCMYK"))
            state.presets.workingCMYK = cmyk->Text();
        if (auto engine = values.Optional("colorEngine"))
            state.presets.colorEngine = engine->Text();
        if (auto intent = values.Optional("renderingIntent"))
            state.presets.renderingIntent = intent->Int32();
        if (auto compensation = values.Optional("blackPointCompensation"))
            state.presets.blackPointCompensation = compensation->Bool();
    }
    if (auto installed = fields.Optional("installedProfiles"))
        state.installed = ReadProfiles(*installed);
    if (auto after = fields.Optional("profilesAfterRefresh"))
        state.afterRefresh = ReadProfiles(*after);
    return state;
}

void ApplyColorManagement(const ColorManagementState& state) {
    SetColorManagementOn(state.on);
    SetColorPresets(state.presets);
    SetInstalledProfiles(state.installed);
    if (state.afterRefresh)
        SetProfilesAfterRefresh(*state.afterRefresh);
}

OrderedJson DumpColorManagement() {
    const ColorPresets& presets = GetColorPresets();
    OrderedJson json{{"on", ColorManagementOn()},
                     {"presets",
                      {{"workingRGB", presets.workingRGB},
                       {"workingCMYK", presets.workingCMYK},
                       {"colorEngine", presets.colorEngine},
                       {"renderingIntent", presets.renderingIntent},
                       {"blackPointCompensation", presets.blackPointCompensation}}},
                     {"installedProfiles", OrderedJson::array()}};
    for (const ColorProfileInfo& profile : InstalledProfiles())
        json["installedProfiles"].push_back(DumpProfile(profile));
    if (const auto& after = ProfilesAfterRefresh()) {
        json["profilesAfterRefresh"] = OrderedJson::array();
        for (const ColorProfileInfo& profile : *after)
            json["profilesAfterRefresh"].push_back(DumpProfile(profile));
    }
    return json;
}

// Four characters, the first in the most significant byte.
std::uint32_t FourCharCode(const Field& field) {
    const std::string text = field.Text();
    if (text.size() != 4)
        field.Fail("expected four characters");
    std::uint32_t code = 0;
    for (char c : text)
        code = code << 8 | static_cast<std::uint8_t>(c);
    return code;
}

std::string FourCharText(std::uint32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>(code >> shift & 0xFF);
    return text;
}

FlattenerSettings ReadFlattenerSettings(const Field& field) {
    const Object fields = field.Fields({"on", "values", "options", "valueMask", "optionMask"});
    FlattenerSettings settings;
    if (auto on = fields.Optional("on"))
        settings.on = on->Bool();
    if (auto values = fields.Optional("values")) {
        const std::vector<double> numbers = values->Numbers(settings.values.size());
        std::copy(numbers.begin(), numbers.end(), settings.values.begin());
    }
    for (auto [name, word] :
         {std::pair{"options", &settings.options}, std::pair{"valueMask", &settings.valueMask},
          std::pair{"optionMask", &settings.optionMask}})
        if (auto value = fields.Optional(name))
            *word = static_cast<std::uint32_t>(value->Int32(0));
    return settings;
}

OrderedJson DumpFlattenerSettings(const FlattenerSettings& settings) {
    return {{"on", settings.on},
            {"values", settings.values},
            {"options", settings.options},
            {"valueMask", settings.valueMask},
            {"optionMask", settings.optionMask}};
}

// Reads one document description into a document that is not open yet.
class DocumentReader {
public:
    std::unique_ptr<Document> Read(const Field& description) {
        const Object fields =
            description.Fields({"kind", "name", "workspace", "colors", "inks", "swatches", "tables",
                                "layers", "profiles", "colorManagement", "spreads", "masterSpreads",
                                "stories", "sections", "view", "embedded"});
        if (fields.Required("kind").Text() != "document")
            fields.Required("kind").Fail("expected \"document\"");
        m_document = CreateDocument(fields.Required("name").Text());
        Layout& layout = m_document->layout;
        if (auto profiles = fields.Optional("profiles"))
            for (const Field& profile : profiles->Array(kMaxListLength))
                ReadStoredProfile(profile);
        if (auto colorManagement = fields.Optional("colorManagement"))
            ReadDocumentColorManagement(*colorManagement);
        ReadColors(fields);
        if (auto tables = fields.Optional("tables"))
            for (const Field& table : tables->Array(kMaxListLength))
                ReadTable(table);
        if (auto layers = fields.Optional("layers"))
            for (const Field& layer : layers->Array(kMaxListLength))
                ReadLayer(layer);
        if (auto spreads = fields.Optional("spreads"))
            for (const Field& spread : spreads->Array(kMaxListLength))
                layout.spreads.push_back(ReadSpread(spread));
        if (auto masters = fields.Optional("masterSpreads")) {
            layout.masterSpreads.emplace();
            for (const Field& spread : masters->Array(kMaxListLength)) {
                const UID uid = ReadSpread(spread);
                Boss* boss = m_document->db->GetBoss(uid);
                boss->AttachFacet(IMasterSpread::kDefaultIID, NewMasterSpreadFacet(boss));
                layout.masterSpreads->push_back(uid);
            }
            Boss* document = m_document->db->GetBoss(m_document->document);
            document->AttachFacet(IID_IMASTERSPREADLIST, NewMasterSpreadListFacet(document));
        }
        if (auto stories = fields.Optional("stories"))
            for (const Field& story : stories->Array(kMaxListLength))
                ReadStory(story);
        ReadTableStories();
        if (auto sections = fields.Optional("sections"))
            for (const Field& section : sections->Array(kMaxListLength))
                layout.sections.push_back(ReadSection(section));
        if (auto view = fields.Optional("view"))
            ReadView(*view);
        if (auto embedded = fields.Optional("embedded"))
            for (const Field& data : embedded->Array(kMaxListLength))
                ReadEmbeddedData(data);
        if (auto workspace = fields.Optional("workspace"))
            ReadWorkspace(*workspace);
        return std::move(m_document);
    }

private:
    UID NewObject(ClassID cls, const Field& id) {
        if (++m_objects > kMaxObjects)
            id.Fail("more than " + std::to_string(kMaxObjects) + " objects in the document");
        const UID uid = id.Id();
        if (m_document->db->NewObject(cls, uid) == kInvalidUID)
            id.Fail("id " + std::to_string(uid.Get()) + " is already in use");
        return uid;
    }

    void ReadStoredProfile(const Field& field) {
        const Object fields =
            field.Fields({"id", "name", "path", "space", "class", "kind", "data"});
        const ColorProfileInfo profile = ReadProfile(fields);
        const Field id = fields.Required("id");
        if (++m_objects > kMaxObjects)
            id.Fail("more than " + std::to_string(kMaxObjects) + " objects in the document");
        if (StoreDocumentProfile(*m_document, profile, id.Id()) == kInvalidUID)
            id.Fail("id " + std::to_string(id.Id().Get()) + " is already in use");
        m_profiles.insert(id.Id());
    }

    // A stored profile object of the document.
    UID ProfileOf(const Field& field) const {
        const UID uid = field.Id();
        if (!m_profiles.contains(uid))
            field.Fail("no profile has id " + std::to_string(uid.Get()));
        return uid;
    }

    void ReadDocumentColorManagement(const Field& field) {
        const Object fields = field.Fields({"rgb", "cmyk"});
        if (auto rgb = fields.Optional("rgb"))
            SetDocumentProfileUID(*m_document, kRGBSpaceIndex, ProfileOf(*rgb));
        if (auto cmyk = fields.Optional("cmyk"))
            SetDocumentProfileUID(*m_document, kCMYKSpaceIndex, ProfileOf(*cmyk));
    }

    void ReadLayer(const Field& field) {
        const Object fields = field.Fields({"id", "name", "locked", "visible", "printable"});
        Layer layer{fields.Required("name").Text()};
        if (auto locked = fields.Optional("locked"))
            layer.locked = locked->Bool();
        if (auto visible = fields.Optional("visible"))
            layer.visible = visible->Bool();
        if (auto printable = fields.Optional("printable"))
            layer.printable = printable->Bool();
        const UID uid = NewObject(kDocumentLayerBoss, fields.Required("id"));
        m_document->layout.layers.push_back(uid);
        m_document->layout.layerData.emplace(uid, std::move(layer));
    }

    UID ReadSpread(const Field& field) {
        const Object fields =
            field.Fields({"id", "offset", "pasteboard", "pages", "items", "flattener"});
        const UID uid = NewObject(kSpreadBoss, fields.Required("id"));
        Spread& spread = m_document->layout.spreadData[uid];
        if (auto offset = fields.Optional("offset"))
            spread.offset = offset->Point();
        if (auto pasteboard = fields.Optional("pasteboard"))
            spread.pasteboard = pasteboard->Rect();
        if (auto flattener = fields.Optional("flattener")) {
            spread.flattener = ReadFlattenerSettings(*flattener);
            Boss* boss = m_document->db->GetBoss(uid);
            boss->AttachFacet(IFlattenerSettings::kDefaultIID, NewSpreadFlattenerFacet(boss));
        }
        if (auto pages = fields.Optional("pages"))
            for (const Field& page : pages->Array(kMaxPagesPerSpread))
                spread.pages.push_back(ReadPage(page, uid));
        if (auto items = fields.Optional("items"))
            for (const Field& item : items->Array(kMaxListLength))
                spread.items.push_back(ReadItem(item, uid, kInvalidUID, kInvalidUID, 0));
        return uid;
    }

    UID ReadPage(const Field& field, UID spread) {
        const Object fields = field.Fields({"id", "width", "height", "margins"});
        Page page;
        page.spread = spread;
        page.width = Positive(fields.Required("width"));
        page.height = Positive(fields.Required("height"));
        if (auto margins = fields.Optional("margins"))
            page.margins = margins->Margins();
        const UID uid = NewObject(kPageBoss, fields.Required("id"));
        m_document->layout.pages.emplace(uid, page);
        return uid;
    }

    static PMReal Positive(const Field& field) {
        const PMReal value = field.Number();
        if (value <= 0)
            field.Fail("expected a number above 0");
        return value;
    }

    // An item on the spread (no parent: it names its layer) or a member of a group.
    UID ReadItem(const Field& field, UID spread, UID parent, UID layer, int depth) {
        if (depth > kMaxGroupDepth)
            field.Fail("groups nest deeper than " + std::to_string(kMaxGroupDepth) + " levels");
        const bool group = field.Has("items");
        const bool guide = !group && field.Has("guide");
        const Object fields =
            group   ? field.Fields({"id", "class", "layer", "items", "transparency", "transparent"})
            : guide ? field.Fields({"id", "class", "layer", "guide"})
                    : field.Fields({"id", "class", "layer", "bounds", "matrix", "stroke", "fonts",
                                    "textFrame", "transparency", "transparent", "placed", "tests",
                                    "graphics", "inks", "colorTest", "table"});
        Item item;
        item.cls = group ? kGroupItemBoss : guide ? kGuideItemBoss : kFrameItemBoss;
        item.spread = spread;
        item.layer = layer;
        item.parent = parent;
        item.group = group;
        if (auto cls = fields.Optional("class"))
            item.cls = ClassID(cls->Hex());
        if (parent == kInvalidUID)
            item.layer = LayerOf(fields.Required("layer"));
        else if (auto named = fields.Optional("layer"))
            named->Fail("a group's member is on its group's layer");
        if (!ObjectModel::Instance().HasClass(item.cls))
            AddItemFacets(item.cls);
        const UID uid = NewObject(item.cls, fields.Required("id"));
        if (group) {
            for (const Field& member : fields.Required("items").Array(kMaxListLength))
                item.items.push_back(ReadItem(member, spread, uid, item.layer, depth + 1));
        } else if (guide) {
            item.guide = ReadGuide(fields.Required("guide"));
            Boss* boss = m_document->db->GetBoss(uid);
            boss->AttachFacet(IGuide::kDefaultIID, NewGuideFacet(boss));
        } else {
            item.bounds = fields.Required("bounds").Rect();
            if (auto matrix = fields.Optional("matrix"))
                item.matrix = matrix->Matrix();
            if (auto stroke = fields.Optional("stroke")) {
                item.stroke = stroke->Number();
                if (item.stroke < 0)
                    stroke->Fail("expected a number not below 0");
            }
            if (auto fonts = fields.Optional("fonts")) {
                for (const Field& font : fonts->Array(kMaxListLength))
                    item.fonts.push_back(font.Text());
                Boss* boss = m_document->db->GetBoss(uid);
                if (!item.fonts.empty())
                    boss->AttachFacet(IUsedFontList::kDefaultIID, NewUsedFontListFacet(boss));
            }
            if (auto frame = fields.Optional("textFrame")) {
                item.textFrame = ReadTextFrame(*frame, *m_document->db->GetBoss(uid));
                m_textFrameFields.emplace(uid, *frame);
            }
            if (auto placed = fields.Optional("placed")) {
                item.placed = ReadPlaced(*placed);
                if (!AttachPlacedFacets(*m_document->db->GetBoss(uid), *item.placed))
                    placed->Fail("more than " + std::to_string(kMaxImportProviders) +
                                 " distinct file-type lists in the session");
            }
            if (auto tests = fields.Optional("tests"))
                item.tests = ReadTests(*tests);
            ReadItemColors(fields, uid);
            if (auto table = fields.Optional("table"))
                ReadTableFrame(*table, uid);
        }
        if (auto transparency = fields.Optional("transparency")) {
            item.transparency = ReadTransparency(*transparency);
            Boss* boss = m_document->db->GetBoss(uid);
            boss->AttachFacet(ITransparencyAttributes::kDefaultIID,
                              NewTransparencyAttributesFacet(boss));
        }
        if (auto transparent = fields.Optional("transparent"))
            item.transparent = transparent->Bool();
        m_document->layout.items.emplace(uid, std::move(item));
        return uid;
    }

    void ReadEmbeddedData(const Field& field) {
        const Object fields = field.Fields({"id", "data"});
        std::vector<std::uint8_t> bytes = fields.Required("data").HexBytes();
        const UID uid = NewObject(kEmbeddedDataBoss, fields.Required("id"));
        Boss* boss = m_document->db->GetBoss(uid);
        boss->AttachFacet(IEmbeddedData::kDefaultIID, NewEmbeddedDataFacet(boss, std::move(bytes)));
    }

    static TextFrame ReadTextFrame(const Field& field, Boss& boss) {
        const Object fields = field.Fields({"interfaces", "start", "span"});
        TextFrame frame{false, false, fields.Required("start").Int32(0),
                        fields.Required("span").Int32(0)};
        if (auto interfaces = fields.Optional("interfaces")) {
            for (const Field& iid : interfaces->Array(2)) {
                const std::uint32_t value = iid.Hex();
                if (value != ITextFrameColumn::kDefaultIID.Get() &&
                    value != IMultiColumnTextFrame::kDefaultIID.Get())
                    iid.Fail("expected \"0xCA12\" or \"0xCA13\"");
                (value == ITextFrameColumn::kDefaultIID.Get() ? frame.column : frame.multiColumn) =
                    true;
            }
        } else {
            frame.column = frame.multiColumn = true;
        }
        if (frame.column)
            boss.AttachFacet(ITextFrameColumn::kDefaultIID, NewTextFrameColumnFacet(&boss));
        if (frame.multiColumn)
            boss.AttachFacet(IMultiColumnTextFrame::kDefaultIID,
                             NewMultiColumnTextFrameFacet(&boss));
        return frame;
    }

    static TransparencyAttributes ReadTransparency(const Field& field) {
        const Object fields = field.Fields({"opacity", "blendMode", "feather", "dropShadow"});
        TransparencyAttributes attributes;
        if (auto opacity = fields.Optional("opacity"))
            attributes.opacity = opacity->Number();
        if (auto blendMode = fields.Optional("blendMode"))
            attributes.blendMode = blendMode->Int32();
        if (auto feather = fields.Optional("feather"))
            attributes.feather = feather->Int32();
        if (auto dropShadow = fields.Optional("dropShadow"))
            attributes.dropShadow = dropShadow->Int32();
        return attributes;
    }

    void ReadStory(const Field& field) {
        const Object fields =
            field.Fields({"id", "frameList", "text", "frames", "damaged", "attributes", "lines"});
        Story story;
        std::u16string text = PMString(fields.Required("text").Text(kMaxStoryBytes)).GetUTF16();
        text += u'\r'; // the end-of-story character
        story.text = std::make_shared<const std::u16string>(std::move(text));
        Layout& layout = m_document->layout;
        for (const Field& frame : fields.Required("frames").Array(kMaxListLength)) {
            const UID uid = frame.Id();
            auto item = layout.items.find(uid);
            if (item == layout.items.end() || !item->second.textFrame)
                frame.Fail("no text frame has id " + std::to_string(uid.Get()));
            if (const UID other = layout.StoryOfFrame(uid).first; other != kInvalidUID)
                frame.Fail("the text frame is in story " + std::to_string(other.Get()));
            if (std::find(story.frames.begin(), story.frames.end(), uid) != story.frames.end())
                frame.Fail("the text frame is in the story twice");
            story.frames.push_back(uid);
        }
        story.damaged = static_cast<std::int32_t>(story.frames.size());
        if (auto damaged = fields.Optional("damaged"))
            story.damaged = damaged->Int32(0);
        if (auto attributes = fields.Optional("attributes"))
            for (const Field& run : attributes->Array(kMaxListLength)) {
                const Object runFields = run.Fields({"span", "font", "fill", "stroke"});
                AttributeRun attributes{runFields.Required("span").Int32(1),
                                        runFields.Required("font").Text()};
                if (auto fill = runFields.Optional("fill"))
                    attributes.fill = ReadPaint(*fill);
                if (auto stroke = runFields.Optional("stroke"))
                    attributes.stroke = ReadPaint(*stroke);
                story.attributes.push_back(std::move(attributes));
            }
        if (auto lines = fields.Optional("lines"))
            for (const Field& line : lines->Array(kMaxListLength))
                story.lines.push_back(ReadLine(line));
        const UID uid = NewObject(kStoryBoss, fields.Required("id"));
        story.frameList = NewObject(kFrameListBoss, fields.Required("frameList"));
        layout.AddStory(uid, std::move(story));
        m_storyFields.emplace(uid, field);
    }

    static TextLine ReadLine(const Field& field) {
        const Object fields = field.Fields({"y", "count", "runs"});
        TextLine line{fields.Required("y").Number(), fields.Required("count").Int32(0), {}};
        if (auto runs = fields.Optional("runs"))
            for (const Field& run : runs->Array(kMaxListLength)) {
                const Object runFields = run.Fields({"start", "span", "width", "height", "matrix"});
                TextRun data{runFields.Required("start").Int32(0),
                             runFields.Required("span").Int32(0),
                             runFields.Required("width").Number(),
                             runFields.Required("height").Number(), PMMatrix()};
                if (auto matrix = runFields.Optional("matrix"))
                    data.matrix = matrix->Matrix();
                line.runs.push_back(data);
            }
        return line;
    }

    // An item's placed content (host/standin/PlacedGraphics.h).
    PlacedContent ReadPlaced(const Field& field) {
        const Object fields =
            field.Fields({"attributes", "fileTypes", "eps", "imageObject", "embeddedImage",
                          "colors", "pdf", "links", "colorPolicy", "profile"});
        PlacedContent placed;
        if (auto attributes = fields.Optional("attributes")) {
            placed.attributes.emplace();
            for (const auto& [tag, value] : attributes->Members(kMaxAttributes)) {
                if (tag.empty() || tag.size() > 9 ||
                    tag.find_first_not_of("0123456789") != std::string::npos)
                    value.Fail("expected a tag from 0 to 999999999");
                (*placed.attributes)[std::stoi(tag)] = value.HexBytes();
            }
        }
        if (auto fileTypes = fields.Optional("fileTypes")) {
            placed.fileTypes.emplace();
            for (const Field& type : fileTypes->Array(kMaxListLength))
                placed.fileTypes->push_back(FourCharCode(type));
        }
        if (auto eps = fields.Optional("eps"))
            placed.eps = eps->Bool();
        if (auto imageObject = fields.Optional("imageObject"))
            placed.imageObject = imageObject->Bool();
        if (auto image = fields.Optional("embeddedImage"))
            placed.embeddedImage = image->Id();
        if (auto colors = fields.Optional("colors"))
            placed.colors = Ids(*colors);
        if (auto pdf = fields.Optional("pdf")) {
            const Object pdfFields = pdf->Fields({"transparent", "colors"});
            placed.pdf.emplace();
            if (auto transparent = pdfFields.Optional("transparent"))
                placed.pdf->transparent = transparent->Bool();
            if (auto colors = pdfFields.Optional("colors"))
                placed.pdf->colors = Ids(*colors);
        }
        if (auto links = fields.Optional("links"))
            for (const Field& link : links->Array(kMaxListLength))
                placed.links.push_back(ReadLink(link));
        if (auto policy = fields.Optional("colorPolicy"))
            placed.colorPolicy = policy->Int32();
        if (auto profile = fields.Optional("profile"))
            placed.profile = ProfileOf(*profile);
        return placed;
    }

    static std::vector<UID> Ids(const Field& field) {
        std::vector<UID> ids;
        for (const Field& id : field.Array(kMaxListLength))
            ids.push_back(id.Id());
        return ids;
    }

    // {"id": 50, "resource": 51, "fullName": "Z:/images/a.tif"}, or {"id": 50} for a link
    // without a resource.
    PlacedLink ReadLink(const Field& field) {
        const Object fields = field.Fields({"id", "resource", "fullName"});
        PlacedLink link;
        link.link = NewObject(kLinkBoss, fields.Required("id"));
        Boss* resource = nullptr;
        if (auto resourceId = fields.Optional("resource")) {
            link.fullName = fields.Required("fullName").Text();
            link.resource = NewObject(kLinkResourceBoss, *resourceId);
            resource = m_document->db->GetBoss(link.resource);
        } else if (auto name = fields.Optional("fullName")) {
            name->Fail("a link without a resource has no full name");
        }
        AttachLinkFacets(*m_document->db->GetBoss(link.link), resource, link);
        return link;
    }

    // Distinct letters of the item-list tests, in the order A, B, D.
    static std::string ReadTests(const Field& field) {
        const std::string tests = field.Text();
        std::string known = "ABD";
        for (char letter : tests) {
            const std::size_t at = known.find(letter);
            if (at == std::string::npos)
                field.Fail("expected the letters A, B and D, each at most once, in that order");
            known.erase(0, at + 1);
        }
        return tests;
    }

    // Colours may name each other (in cycles too) and inks; inks name colours.
    void ReadColors(const Object& fields) {
        std::vector<std::pair<UID, Field>> colors;
        if (auto list = fields.Optional("colors"))
            for (const Field& color : list->Array(kMaxListLength)) {
                const Object entry = ColorFields(color);
                Color data;
                if (auto cls = entry.Optional("class"))
                    data.cls = ClassID(cls->Hex());
                if (!ObjectModel::Instance().HasClass(data.cls))
                    ObjectModel::Instance().AddToClass(data.cls, {});
                const UID uid = NewObject(data.cls, entry.Required("id"));
                m_document->colors.colors.emplace(uid, data);
                colors.emplace_back(uid, color);
            }
        if (auto inks = fields.Optional("inks"))
            for (const Field& ink : inks->Array(kMaxListLength))
                ReadInk(ink);
        for (const auto& [uid, field] : colors)
            ReadColor(uid, field);
        if (auto swatches = fields.Optional("swatches"))
            for (const Field& swatch : swatches->Array(kMaxListLength))
                m_document->colors.swatches.push_back(ColorRef(swatch));
    }

    static Object ColorFields(const Field& field) {
        return field.Fields(
            {"id", "class", "components", "space", "values", "ink", "tint", "paper"});
    }

    void ReadColor(UID uid, const Field& field) {
        const Object fields = ColorFields(field);
        Color& color = m_document->colors.colors.at(uid);
        if (auto components = fields.Optional("components")) {
            color.components.emplace();
            for (const Field& component : components->Array(kMaxListLength))
                color.components->push_back(ColorRef(component));
        }
        if (auto space = fields.Optional("space"))
            color.space = space->Int32();
        if (auto values = fields.Optional("values"))
            for (const Field& value : values->Array(4))
                color.values.push_back(value.Number());
        if (auto ink = fields.Optional("ink")) {
            const Object inkFields = ink->Fields({"kind", "inks", "count"});
            InkData data;
            if (auto kind = inkFields.Optional("kind"))
                data.kind = kind->Int32();
            if (auto inks = inkFields.Optional("inks"))
                for (const Field& entry : inks->Array(kMaxListLength))
                    data.inks.push_back(InkRef(entry));
            data.count = static_cast<std::int32_t>(data.inks.size());
            if (auto count = inkFields.Optional("count"))
                data.count = count->Int32(0);
            color.ink = data;
        }
        const std::optional<Field> tint = fields.Optional("tint");
        const std::optional<Field> paper = fields.Optional("paper");
        if (tint || paper)
            color.tint = Tint{tint ? tint->Number() : Tint{}.value, paper && paper->Bool()};
        AttachColorFacets(*m_document->db->GetBoss(uid), color);
    }

    void ReadInk(const Field& field) {
        const Object fields =
            field.Fields({"id", "name", "process", "color", "convertToProcess", "alias"});
        Ink ink;
        ink.name = fields.Required("name").Text();
        if (auto process = fields.Optional("process"))
            ink.process = process->Bool();
        if (auto convert = fields.Optional("convertToProcess"))
            ink.convertToProcess = convert->Bool();
        if (auto alias = fields.Optional("alias"))
            ink.alias = alias->Id();
        if (auto color = fields.Optional("color"))
            ink.color = ColorRef(*color);
        const UID uid = NewObject(kInkBoss, fields.Required("id"));
        m_document->colors.inks.push_back(uid);
        m_document->colors.inkData.emplace(uid, std::move(ink));
    }

    UID ColorRef(const Field& field) const {
        const UID uid = field.Id();
        if (!m_document->colors.colors.contains(uid))
            field.Fail("no colour has id " + std::to_string(uid.Get()));
        return uid;
    }

    UID InkRef(const Field& field) const {
        const UID uid = field.Id();
        if (!m_document->colors.inkData.contains(uid))
            field.Fail("no ink has id " + std::to_string(uid.Get()));
        return uid;
    }

    Paint ReadPaint(const Field& field) const {
        const Object fields = field.Fields({"color", "tint"});
        Paint paint{ColorRef(fields.Required("color"))};
        if (auto tint = fields.Optional("tint"))
            paint.tint = tint->Number();
        return paint;
    }

    void ReadItemColors(const Object& fields, UID uid) {
        ItemColors colors;
        if (auto graphics = fields.Optional("graphics")) {
            const Object graphicFields = graphics->Fields({"fill", "stroke", "nonPrinting"});
            GraphicAttributes attributes;
            if (auto fill = graphicFields.Optional("fill"))
                attributes.fill = ColorRef(*fill);
            if (auto stroke = graphicFields.Optional("stroke"))
                attributes.stroke = ColorRef(*stroke);
            if (auto nonPrinting = graphicFields.Optional("nonPrinting"))
                attributes.nonPrinting = nonPrinting->Bool();
            colors.graphics = attributes;
        }
        if (auto inks = fields.Optional("inks")) {
            colors.inks.emplace();
            for (const Field& ink : inks->Array(kMaxListLength))
                colors.inks->push_back(ink.Text());
        }
        if (auto test = fields.Optional("colorTest"))
            colors.colorTest = test->Bool();
        if (!colors.graphics && !colors.inks && !colors.colorTest)
            return;
        AttachItemColorFacets(*m_document->db->GetBoss(uid), colors);
        m_document->colors.items.emplace(uid, std::move(colors));
    }

    void ReadTable(const Field& field) {
        const Object fields = field.Fields({"id", "rows", "columns", "story", "cells"});
        Table table;
        table.rows = fields.Required("rows").Int32(0);
        table.columns = fields.Required("columns").Int32(0);
        if (std::int64_t{table.rows} * table.columns > kMaxTableCells)
            fields.Required("rows").Fail("more than " + std::to_string(kMaxTableCells) + " cells");
        const UID uid = NewObject(kTableModelBoss, fields.Required("id"));
        if (auto story = fields.Optional("story"))
            m_tableStories.emplace_back(uid, *story);
        if (auto cells = fields.Optional("cells"))
            for (const Field& cell : cells->Array(kMaxListLength))
                ReadCell(cell, uid, table);
        m_document->tables.models.emplace(uid, std::move(table));
    }

    void ReadCell(const Field& field, UID uid, Table& table) {
        const Object fields =
            field.Fields({"row", "column", "fill", "edges", "attributes", "text"});
        const GridAddress at{fields.Required("row").Int32(0), fields.Required("column").Int32(0)};
        if (at.row >= table.rows || at.column >= table.columns)
            field.Fail("the cell lies outside the table");
        if (!table.cells.emplace(at, Cell{}).second)
            field.Fail("a second cell at the same row and column");
        Cell& cell = table.cells.at(at);
        if (auto fill = fields.Optional("fill"))
            cell.fill = ReadPaint(*fill);
        if (auto edges = fields.Optional("edges"))
            for (const Field& edge : edges->Array(4))
                ReadEdge(edge, cell);
        if (auto attributes = fields.Optional("attributes")) {
            cell.attributes.emplace();
            for (const Field& attribute : attributes->Array(kMaxListLength))
                cell.attributes->push_back(ReadCellAttribute(attribute));
        }
        if (auto text = fields.Optional("text")) {
            const std::vector<Field> range = text->Array(2);
            if (range.size() != 2)
                text->Fail("expected the start and the length of the cell's text");
            cell.text = {range[0].Int32(0), range[1].Int32(0)};
            m_cellTextFields.emplace(std::pair(uid, at), *text);
        }
    }

    // A table's story is one of the document's stories, which are read after the tables. A table
    // lives in the story of a text frame: the story of a table with text threads every item that
    // carries the table. The story's own text, which its frames show, comes first; the text of
    // its tables' cells follows it, each table's in row order, each cell's on lines of its own.
    void ReadTableStories() {
        for (const auto& [table, field] : m_tableStories) {
            const UID story = field.Id();
            if (!m_document->layout.stories.contains(story))
                field.Fail("no story has id " + std::to_string(story.Get()));
            m_document->tables.models.at(table).story = story;
            AttachTableTextFacet(*m_document->db->GetBoss(table));
        }
        for (const auto& [item, model] : m_tableFrames) {
            const UID table = model.Id();
            const UID story = m_document->tables.models.at(table).story;
            if (story != kInvalidUID && m_document->layout.StoryOfFrame(item).first != story)
                model.Fail("the story " + std::to_string(story.Get()) + " of table " +
                           std::to_string(table.Get()) + " is not threaded through item " +
                           std::to_string(item.Get()) + ", which carries the table");
        }
        std::map<UID, std::vector<StoryCell>> cells;
        for (const auto& [table, model] : m_document->tables.models)
            if (model.story != kInvalidUID)
                for (const auto& [at, cell] : model.cells)
                    if (cell.text.length > 0)
                        cells[model.story].push_back(
                            {table, at, cell.text, m_cellTextFields.at(std::pair(table, at))});
        for (const auto& [story, storyCells] : cells) {
            CheckCellText(story, storyCells);
            CheckCellLines(story, storyCells);
        }
    }

    // A table cell whose text is in a story.
    struct StoryCell {
        UID table;
        GridAddress at;
        CellText text;
        Field field; // its "text"
    };

    // Each cell's text lies in the story's text, a table's cells hold theirs in row order, and the
    // story's frames show only the story's own text, the characters before the first cell's.
    void CheckCellText(UID uid, const std::vector<StoryCell>& cells) {
        Story& story = m_document->layout.stories.at(uid);
        const std::int64_t length = static_cast<std::int64_t>(story.text->size()) - 1;
        const StoryCell* before = nullptr; // the cell before, in its table's row order
        std::int64_t own = length;
        for (const StoryCell& cell : cells) {
            const std::int64_t end = std::int64_t{cell.text.start} + cell.text.length;
            if (end > length)
                cell.field.Fail("the cell's text runs past the end of the " +
                                std::to_string(length) + " characters of story " +
                                std::to_string(uid.Get()));
            if (before && before->table == cell.table &&
                cell.text.start < std::int64_t{before->text.start} + before->text.length)
                cell.field.Fail("the cell's text begins before the end of that of cell " +
                                CellName(*before) +
                                ": a table's cells hold their text one after another in row order");
            before = &cell;
            own = std::min<std::int64_t>(own, cell.text.start);
        }
        story.cellText = static_cast<std::int32_t>(own);
        for (UID frame : story.frames) {
            const TextFrame& shown = *m_document->layout.items.at(frame).textFrame;
            if (std::int64_t{shown.start} + shown.span > own)
                m_textFrameFields.at(frame)
                    .Fields({"interfaces", "start", "span"})
                    .Required("span")
                    .Fail("the frame's text runs past character " + std::to_string(own) +
                          " of story " + std::to_string(uid.Get()) +
                          ", where the text of its table cells begins: a frame shows only the "
                          "story's own text, which comes before its cells' text");
        }
    }

    // The text of each table cell is composed in lines of its own: a line of the story that holds
    // characters of two cells, or of a cell and the story's own text, is refused. Each line is
    // looked at once per cell it meets, and a line that meets a second cell fails, so this is
    // linear in the lines and cells. Notes what each line holds, for the walks over the lines.
    void CheckCellLines(UID uid, const std::vector<StoryCell>& cells) {
        Story& story = m_document->layout.stories.at(uid);
        const std::vector<TextLine>& lines = story.lines;
        const std::int64_t own = *story.cellText;
        std::vector<std::int64_t> starts;
        std::int64_t start = 0;
        for (const TextLine& line : lines) {
            starts.push_back(start);
            start += line.count;
        }
        const auto fail = [&](std::size_t line, const std::string& message) {
            host::Fail(m_storyFields.at(uid).Path() + ".lines[" + std::to_string(line) + "]",
                       message);
        };
        std::vector<const StoryCell*> owners(lines.size(), nullptr);
        for (const StoryCell& cell : cells) {
            const std::int64_t begin = cell.text.start;
            const std::int64_t end = begin + cell.text.length;
            const auto after = std::upper_bound(starts.begin(), starts.end(), begin);
            for (auto i = static_cast<std::size_t>(
                     std::max<std::ptrdiff_t>(after - starts.begin() - 1, 0));
                 i < lines.size() && starts[i] < end; ++i) {
                if (lines[i].count == 0) {
                    // An empty line inside the cell's text is the cell's.
                    if (starts[i] >= begin && !owners[i])
                        owners[i] = &cell;
                    continue;
                }
                if (starts[i] + lines[i].count <= begin)
                    continue;
                const StoryCell* owner = owners[i];
                if (owner && (owner->table != cell.table || owner->at != cell.at))
                    fail(i, "the line holds the text of two table cells, " + CellName(*owner) +
                                " and " + CellName(cell));
                if (starts[i] < own)
                    fail(i, "the line holds the story's own text and the text of table cell " +
                                CellName(cell) + ": each cell's text is on lines of its own");
                owners[i] = &cell;
            }
        }
        story.lineTexts.assign(lines.size(), Story::kOwnText);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (owners[i])
                story.lineTexts[i] = static_cast<std::int32_t>(owners[i] - cells.data()) + 1;
            else if (starts[i] >= own)
                story.lineTexts[i] = Story::kNoText;
    }

    static std::string CellName(const StoryCell& cell) {
        return "(" + std::to_string(cell.at.row) + ", " + std::to_string(cell.at.column) +
               ") of table " + std::to_string(cell.table.Get());
    }

    void ReadEdge(const Field& field, Cell& cell) const {
        const Object fields = field.Fields({"side", "type", "weight", "color", "tint"});
        const std::int32_t side = fields.Required("side").Int32(0);
        if (side > 3)
            fields.Required("side").Fail("expected a side from 0 to 3");
        auto& edge = cell.edges[static_cast<std::size_t>(side)];
        if (edge)
            fields.Required("side").Fail("a second edge on this side");
        edge.emplace();
        if (auto type = fields.Optional("type"))
            edge->type = ClassID(type->Hex());
        if (auto weight = fields.Optional("weight")) {
            edge->weight = weight->Number();
            if (edge->weight < 0)
                weight->Fail("expected a number not below 0");
        }
        if (auto color = fields.Optional("color"))
            edge->paint.color = ColorRef(*color);
        if (auto tint = fields.Optional("tint"))
            edge->paint.tint = tint->Number();
    }

    CellAttribute ReadCellAttribute(const Field& field) const {
        const Object fields = field.Fields({"class", "type", "real", "uid"});
        CellAttribute attribute{ClassID(fields.Required("class").Hex()), PMReal{0}};
        const std::optional<Field> type = fields.Optional("type");
        const std::optional<Field> real = fields.Optional("real");
        const std::optional<Field> uid = fields.Optional("uid");
        if (int{type.has_value()} + int{real.has_value()} + int{uid.has_value()} != 1)
            field.Fail("expected one of \"type\", \"real\" and \"uid\"");
        if (type)
            attribute.value = ClassID(type->Hex());
        else if (real)
            attribute.value = real->Number();
        else
            attribute.value = ColorRef(*uid);
        return attribute;
    }

    void ReadTableFrame(const Field& field, UID item) {
        const Object fields = field.Fields({"model", "areas"});
        TableFrame frame;
        const Field model = fields.Required("model");
        frame.model = model.Id();
        if (!m_document->tables.models.contains(frame.model))
            model.Fail("no table has id " + std::to_string(frame.model.Get()));
        if (auto areas = fields.Optional("areas"))
            for (const Field& area : areas->Array(kMaxTableAreas)) {
                const std::vector<Field> n = area.Array(4);
                if (n.size() != 4)
                    area.Fail("expected first row, first column, end row and end column");
                const GridArea grid{n[0].Int32(0), n[1].Int32(0), n[2].Int32(0), n[3].Int32(0)};
                if (grid.endRow < grid.firstRow || grid.endColumn < grid.firstColumn)
                    area.Fail("an area ends before it begins");
                frame.areas.push_back(grid);
            }
        AttachTableFrameFacet(*m_document->db->GetBoss(item));
        m_document->tables.frames.emplace(item, std::move(frame));
        m_tableFrames.emplace_back(item, model);
    }

    static Guide ReadGuide(const Field& field) {
        const Object fields = field.Fields({"horizontal", "position", "index"});
        return {fields.Required("horizontal").Bool(), fields.Required("position").Number(),
                fields.Required("index").Int32()};
    }

    UID LayerOf(const Field& field) const {
        const UID uid = field.Id();
        if (!m_document->layout.layerData.contains(uid))
            field.Fail("no layer has id " + std::to_string(uid.Get()));
        return uid;
    }

    Section ReadSection(const Field& field) const {
        const Object fields = field.Fields({"name", "start", "count", "style"});
        Section section{fields.Required("name").Text(), fields.Required("start").Id(),
                        fields.Required("count").Int32(1), ClassID(fields.Required("style").Hex())};
        const std::vector<UID> pages = m_document->layout.PageList();
        const auto start = std::find(pages.begin(), pages.end(), section.start);
        if (start == pages.end())
            fields.Required("start").Fail("no page of the page list has id " +
                                          std::to_string(section.start.Get()));
        if (section.count > pages.end() - start)
            fields.Required("count").Fail("the section runs past the last page");
        return section;
    }

    void ReadView(const Field& field) {
        const Object fields = field.Fields({"spread", "page"});
        const Layout& layout = m_document->layout;
        const View view{fields.Required("spread").Id(), fields.Required("page").Id()};
        if (!layout.spreadData.contains(view.spread))
            fields.Required("spread").Fail("no spread has id " + std::to_string(view.spread.Get()));
        if (!layout.pages.contains(view.page) || layout.pages.at(view.page).spread != view.spread)
            fields.Required("page").Fail("no page of the spread has id " +
                                         std::to_string(view.page.Get()));
        m_document->layout.view = view;
        m_document->view = m_document->db->NewObject(kLayoutViewBoss);
    }

    void ReadWorkspace(const Field& field) {
        const Object fields =
            field.Fields({"facets", "pageSetup", "valuePair", "print", "blendSpace"});
        Boss* workspace = m_document->db->GetBoss(m_document->workspace);
        if (auto pageSetup = fields.Optional("pageSetup")) {
            m_document->layout.pageSetup = ReadPageSetup(*pageSetup);
            workspace->AttachFacet(IPageSetupPrefs::kDefaultIID, NewPageSetupPrefsFacet(workspace));
        }
        if (auto valuePair = fields.Optional("valuePair")) {
            const std::vector<double> values = valuePair->Numbers(2);
            m_document->layout.valuePair = std::pair(values[0], values[1]);
            workspace->AttachFacet(IValuePairPrefs::kDefaultIID, NewValuePairPrefsFacet(workspace));
        }
        if (auto print = fields.Optional("print")) {
            const Object settings = print->Fields({"printer", "copies"});
            m_document->print = PrintSettings{settings.Required("printer").Text(),
                                              settings.Required("copies").Int32(1)};
            workspace->AttachFacet(IPrintData::kDefaultIID, NewPrintDataFacet(workspace));
        }
        if (auto blendSpace = fields.Optional("blendSpace"))
            m_document->layout.blendSpace = blendSpace->Int32();
        if (auto facets = fields.Optional("facets"))
            ReadFacets(*workspace, *facets);
    }

    static PageSetup ReadPageSetup(const Field& field) {
        const Object fields = field.Fields({"bleed", "flag", "value", "switch"});
        PageSetup setup;
        if (auto bleed = fields.Optional("bleed")) {
            const Object sides = bleed->Fields({"top", "left", "bottom", "right"});
            setup.bleed = {sides.Required("left").Number(), sides.Required("top").Number(),
                           sides.Required("right").Number(), sides.Required("bottom").Number()};
        }
        if (auto flag = fields.Optional("flag"))
            setup.flag = flag->Bool();
        if (auto value = fields.Optional("value"))
            setup.value = value->Int32();
        if (auto switchOn = fields.Optional("switch"))
            setup.switchOn = switchOn->Bool();
        return setup;
    }

    std::unique_ptr<Document> m_document;
    std::size_t m_objects = 0;
    std::set<UID> m_profiles;                          // the stored profile objects read so far
    std::vector<std::pair<UID, Field>> m_tableStories; // tables and their "story"
    std::vector<std::pair<UID, Field>> m_tableFrames;  // items and the "model" of their "table"
    std::map<UID, Field> m_storyFields;                // the stories read, by UID
    std::map<UID, Field> m_textFrameFields;            // items and their "textFrame"
    std::map<std::pair<UID, GridAddress>, Field> m_cellTextFields; // cells and their "text"
};

OrderedJson DumpRect(const PMRect& rect) {
    return {rect.Left(), rect.Top(), rect.Right(), rect.Bottom()};
}

OrderedJson DumpSides(const Sides& sides) {
    return {sides.left, sides.top, sides.right, sides.bottom};
}

void DumpTransparency(const Item& item, OrderedJson& json) {
    if (item.transparency) {
        const TransparencyAttributes& values = *item.transparency;
        OrderedJson attributes = OrderedJson::object();
        if (values.opacity)
            attributes["opacity"] = *values.opacity;
        if (values.blendMode)
            attributes["blendMode"] = *values.blendMode;
        if (values.feather)
            attributes["feather"] = *values.feather;
        if (values.dropShadow)
            attributes["dropShadow"] = *values.dropShadow;
        json["transparency"] = attributes;
    }
    if (item.transparent)
        json["transparent"] = true;
}

OrderedJson DumpIds(const std::vector<UID>& ids) {
    OrderedJson json = OrderedJson::array();
    for (UID id : ids)
        json.push_back(id.Get());
    return json;
}

OrderedJson DumpPlaced(const PlacedContent& placed) {
    OrderedJson json = OrderedJson::object();
    if (placed.attributes) {
        json["attributes"] = OrderedJson::object();
        for (const auto& [tag, bytes] : *placed.attributes)
            json["attributes"][std::to_string(tag)] = HexBytes(bytes);
    }
    if (placed.fileTypes) {
        json["fileTypes"] = OrderedJson::array();
        for (std::uint32_t type : *placed.fileTypes)
            json["fileTypes"].push_back(FourCharText(type));
    }
    if (placed.eps)
        json["eps"] = true;
    if (placed.imageObject)
        json["imageObject"] = true;
    if (placed.embeddedImage)
        json["embeddedImage"] = placed.embeddedImage->Get();
    if (placed.colors)
        json["colors"] = DumpIds(*placed.colors);
    if (placed.pdf)
        json["pdf"] = {{"transparent", placed.pdf->transparent},
                       {"colors", DumpIds(placed.pdf->colors)}};
    if (!placed.links.empty()) {
        json["links"] = OrderedJson::array();
        for (const PlacedLink& link : placed.links) {
            OrderedJson entry{{"id", link.link.Get()}};
            if (link.resource != kInvalidUID) {
                entry["resource"] = link.resource.Get();
                entry["fullName"] = link.fullName;
            }
            json["links"].push_back(entry);
        }
    }
    if (placed.colorPolicy)
        json["colorPolicy"] = *placed.colorPolicy;
    if (placed.profile)
        json["profile"] = placed.profile->Get();
    return json;
}

void DumpItemColors(const Colors& colors, UID uid, OrderedJson& json) {
    auto found = colors.items.find(uid);
    if (found == colors.items.end())
        return;
    const ItemColors& item = found->second;
    if (item.graphics) {
        json["graphics"] = OrderedJson::object();
        if (item.graphics->fill != kInvalidUID)
            json["graphics"]["fill"] = item.graphics->fill.Get();
        if (item.graphics->stroke != kInvalidUID)
            json["graphics"]["stroke"] = item.graphics->stroke.Get();
        json["graphics"]["nonPrinting"] = item.graphics->nonPrinting;
    }
    if (item.inks)
        json["inks"] = *item.inks;
    if (item.colorTest)
        json["colorTest"] = *item.colorTest;
}

// Colours, inks and swatches, each list only when the document has any.
void DumpColors(const Colors& colors, OrderedJson& json) {
    if (!colors.colors.empty())
        json["colors"] = OrderedJson::array();
    for (const auto& [uid, color] : colors.colors) {
        OrderedJson entry{{"id", uid.Get()}, {"class", Hex(color.cls.Get())}};
        if (color.components)
            entry["components"] = DumpIds(*color.components);
        if (color.space)
            entry["space"] = *color.space;
        if (!color.values.empty())
            entry["values"] = color.values;
        if (color.ink)
            entry["ink"] = {{"kind", color.ink->kind},
                            {"inks", DumpIds(color.ink->inks)},
                            {"count", color.ink->count}};
        if (color.tint) {
            entry["tint"] = color.tint->value;
            entry["paper"] = color.tint->paper;
        }
        json["colors"].push_back(entry);
    }
    if (!colors.inks.empty())
        json["inks"] = OrderedJson::array();
    for (UID uid : colors.inks) {
        const Ink& ink = colors.inkData.at(uid);
        OrderedJson entry{{"id", uid.Get()}, {"name", ink.name}, {"process", ink.process}};
        if (ink.color != kInvalidUID)
            entry["color"] = ink.color.Get();
        if (ink.convertToProcess)
            entry["convertToProcess"] = true;
        if (ink.alias != kInvalidUID)
            entry["alias"] = ink.alias.Get();
        json["inks"].push_back(entry);
    }
    if (!colors.swatches.empty())
        json["swatches"] = DumpIds(colors.swatches);
}

OrderedJson DumpPaint(const Paint& paint) {
    return {{"color", paint.color.Get()}, {"tint", paint.tint}};
}

OrderedJson DumpCell(const GridAddress& at, const Cell& cell) {
    OrderedJson json{{"row", at.row}, {"column", at.column}};
    if (cell.fill)
        json["fill"] = DumpPaint(*cell.fill);
    json["edges"] = OrderedJson::array();
    for (std::size_t side = 0; side < cell.edges.size(); ++side)
        if (const auto& edge = cell.edges[side]) {
            OrderedJson entry{
                {"side", side}, {"type", Hex(edge->type.Get())}, {"weight", edge->weight}};
            if (edge->paint.color != kInvalidUID)
                entry["color"] = edge->paint.color.Get();
            entry["tint"] = edge->paint.tint;
            json["edges"].push_back(entry);
        }
    if (cell.attributes) {
        json["attributes"] = OrderedJson::array();
        for (const CellAttribute& attribute : *cell.attributes) {
            OrderedJson entry{{"class", Hex(attribute.cls.Get())}};
            if (const auto* type = std::get_if<ClassID>(&attribute.value))
                entry["type"] = Hex(type->Get());
            else if (const auto* real = std::get_if<PMReal>(&attribute.value))
                entry["real"] = *real;
            else
                entry["uid"] = std::get<UID>(attribute.value).Get();
            json["attributes"].push_back(entry);
        }
    }
    if (cell.text.length > 0)
        json["text"] = {cell.text.start, cell.text.length};
    return json;
}

void DumpTables(const Tables& tables, OrderedJson& json) {
    if (tables.models.empty())
        return;
    json["tables"] = OrderedJson::array();
    for (const auto& [uid, table] : tables.models) {
        OrderedJson entry{{"id", uid.Get()}, {"rows", table.rows}, {"columns", table.columns}};
        if (table.story != kInvalidUID)
            entry["story"] = table.story.Get();
        entry["cells"] = OrderedJson::array();
        for (const auto& [at, cell] : table.cells)
            entry["cells"].push_back(DumpCell(at, cell));
        json["tables"].push_back(entry);
    }
}

OrderedJson DumpItem(const Document& document, UID uid) {
    const Layout& layout = document.layout;
    const Item& item = layout.items.at(uid);
    OrderedJson json{{"id", uid.Get()}, {"class", Hex(item.cls.Get())}};
    if (item.parent == kInvalidUID)
        json["layer"] = item.layer.Get();
    if (item.group) {
        json["items"] = OrderedJson::array();
        for (UID member : item.items)
            json["items"].push_back(DumpItem(document, member));
        DumpTransparency(item, json);
        return json;
    }
    if (item.guide) {
        json["guide"] = {{"horizontal", item.guide->horizontal},
                         {"position", item.guide->position},
                         {"index", item.guide->index}};
        return json;
    }
    json["bounds"] = DumpRect(item.bounds);
    json["matrix"] = OrderedJson::array();
    for (int i = 0; i < 6; ++i)
        json["matrix"].push_back(item.matrix[i]);
    json["stroke"] = item.stroke;
    if (!item.fonts.empty())
        json["fonts"] = item.fonts;
    if (item.textFrame) {
        OrderedJson interfaces = OrderedJson::array();
        if (item.textFrame->column)
            interfaces.push_back(Hex(ITextFrameColumn::kDefaultIID.Get()));
        if (item.textFrame->multiColumn)
            interfaces.push_back(Hex(IMultiColumnTextFrame::kDefaultIID.Get()));
        json["textFrame"] = {{"interfaces", interfaces},
                             {"start", item.textFrame->start},
                             {"span", item.textFrame->span}};
    }
    DumpTransparency(item, json);
    if (item.placed)
        json["placed"] = DumpPlaced(*item.placed);
    if (!item.tests.empty())
        json["tests"] = item.tests;
    DumpItemColors(document.colors, uid, json);
    if (auto frame = document.tables.frames.find(uid); frame != document.tables.frames.end()) {
        json["table"] = {{"model", frame->second.model.Get()}, {"areas", OrderedJson::array()}};
        for (const GridArea& area : frame->second.areas)
            json["table"]["areas"].push_back(
                {area.firstRow, area.firstColumn, area.endRow, area.endColumn});
    }
    return json;
}

OrderedJson DumpStory(UID uid, const Story& story) {
    OrderedJson frames = OrderedJson::array();
    for (UID frame : story.frames)
        frames.push_back(frame.Get());
    OrderedJson attributes = OrderedJson::array();
    for (const AttributeRun& run : story.attributes) {
        OrderedJson entry{{"span", run.span}, {"font", run.font}};
        if (run.fill.color != kInvalidUID)
            entry["fill"] = DumpPaint(run.fill);
        if (run.stroke.color != kInvalidUID)
            entry["stroke"] = DumpPaint(run.stroke);
        attributes.push_back(entry);
    }
    OrderedJson lines = OrderedJson::array();
    for (const TextLine& line : story.lines) {
        OrderedJson runs = OrderedJson::array();
        for (const TextRun& run : line.runs)
            runs.push_back({{"start", run.start},
                            {"span", run.span},
                            {"width", run.width},
                            {"height", run.height},
                            {"matrix",
                             {run.matrix[0], run.matrix[1], run.matrix[2], run.matrix[3],
                              run.matrix[4], run.matrix[5]}}});
        lines.push_back({{"y", line.y}, {"count", line.count}, {"runs", runs}});
    }
    const std::u16string text(story.text->begin(), story.text->end() - 1);
    return {{"id", uid.Get()},
            {"frameList", story.frameList.Get()},
            {"text", PMString(text).GetUTF8String()},
            {"frames", frames},
            {"damaged", story.damaged},
            {"attributes", attributes},
            {"lines", lines}};
}

OrderedJson DumpSpread(const Document& document, UID uid) {
    const Layout& layout = document.layout;
    const Spread& spread = layout.spreadData.at(uid);
    OrderedJson json{{"id", uid.Get()}, {"offset", {spread.offset.X(), spread.offset.Y()}}};
    if (spread.pasteboard)
        json["pasteboard"] = DumpRect(*spread.pasteboard);
    if (spread.flattener)
        json["flattener"] = DumpFlattenerSettings(*spread.flattener);
    json["pages"] = OrderedJson::array();
    for (UID page : spread.pages) {
        const Page& data = layout.pages.at(page);
        json["pages"].push_back({{"id", page.Get()},
                                 {"width", data.width},
                                 {"height", data.height},
                                 {"margins", DumpSides(data.margins)}});
    }
    json["items"] = OrderedJson::array();
    for (UID item : spread.items)
        json["items"].push_back(DumpItem(document, item));
    return json;
}

// The most members a document's dump has: kind, name, workspace, layers, spreads, profiles,
// colorManagement, masterSpreads, stories, sections, view, colors, inks, swatches, tables and
// embedded, with room to spare.
constexpr std::size_t kDocumentMembers = 24;

OrderedJson DumpDocumentJson(const Document& document) {
    const Layout& layout = document.layout;
    OrderedJson workspace{{"facets", DumpFacets(*document.db->GetBoss(document.workspace))}};
    if (layout.pageSetup) {
        const Sides& bleed = layout.pageSetup->bleed;
        workspace["pageSetup"] = {{"bleed",
                                   {{"top", bleed.top},
                                    {"left", bleed.left},
                                    {"bottom", bleed.bottom},
                                    {"right", bleed.right}}},
                                  {"flag", layout.pageSetup->flag},
                                  {"value", layout.pageSetup->value},
                                  {"switch", layout.pageSetup->switchOn}};
    }
    if (layout.valuePair)
        workspace["valuePair"] = {layout.valuePair->first, layout.valuePair->second};
    if (document.print)
        workspace["print"] = {{"printer", document.print->printer},
                              {"copies", document.print->copies}};
    if (layout.blendSpace)
        workspace["blendSpace"] = *layout.blendSpace;
    OrderedJson json{{"kind", "document"},
                     {"name", document.Get()->GetName().GetUTF8String()},
                     {"workspace", workspace},
                     {"layers", OrderedJson::array()},
                     {"spreads", OrderedJson::array()}};
    // An ordered object keeps its members in a vector, which copies them (their whole trees, the
    // spreads among them) each time it grows: room for every member the document can have keeps
    // the dump of a large document from copying it over and over.
    json.get_ref<OrderedJson::object_t&>().reserve(kDocumentMembers);
    for (UID uid : layout.layers) {
        const Layer& layer = layout.layerData.at(uid);
        json["layers"].push_back({{"id", uid.Get()},
                                  {"name", layer.name},
                                  {"locked", layer.locked},
                                  {"visible", layer.visible},
                                  {"printable", layer.printable}});
    }
    const auto profiles = StoredProfiles(document);
    if (!profiles.empty()) {
        json["profiles"] = OrderedJson::array();
        for (const auto& [uid, profile] : profiles) {
            OrderedJson entry{{"id", uid.Get()}};
            entry.update(DumpProfile(profile));
            json["profiles"].push_back(entry);
        }
    }
    OrderedJson colorManagement = OrderedJson::object();
    const std::pair<std::int32_t, const char*> spaces[] = {{kRGBSpaceIndex, "rgb"},
                                                           {kCMYKSpaceIndex, "cmyk"}};
    for (const auto& [space, name] : spaces)
        if (const UID profile = DocumentProfileUID(document, space); profile != kInvalidUID)
            colorManagement[name] = profile.Get();
    if (!colorManagement.empty())
        json["colorManagement"] = colorManagement;
    for (UID spread : layout.spreads)
        json["spreads"].push_back(DumpSpread(document, spread));
    if (layout.masterSpreads) {
        json["masterSpreads"] = OrderedJson::array();
        for (UID spread : *layout.masterSpreads)
            json["masterSpreads"].push_back(DumpSpread(document, spread));
    }
    if (!layout.stories.empty()) {
        json["stories"] = OrderedJson::array();
        for (const auto& [uid, story] : layout.stories)
            json["stories"].push_back(DumpStory(uid, story));
    }
    json["sections"] = OrderedJson::array();
    for (const Section& section : layout.sections)
        json["sections"].push_back({{"name", section.name},
                                    {"start", section.start.Get()},
                                    {"count", section.count},
                                    {"style", Hex(section.style.Get())}});
    if (layout.view)
        json["view"] = {{"spread", layout.view->spread.Get()}, {"page", layout.view->page.Get()}};
    DumpColors(document.colors, json);
    DumpTables(document.tables, json);
    OrderedJson embedded = OrderedJson::array();
    for (UID uid : document.db->GetUIDs()) {
        InterfacePtr<IEmbeddedData> data(UIDRef(document.db.get(), uid), UseDefaultIID{});
        if (data)
            embedded.push_back({{"id", uid.Get()}, {"data", HexBytes(data->GetBytes())}});
    }
    if (!embedded.empty())
        json["embedded"] = embedded;
    return json;
}

std::unique_ptr<Document> ReadDocument(const Field& description) {
    return DocumentReader().Read(description);
}

std::map<PluginID, std::string> ReadPlugins(const Field& field) {
    std::map<PluginID, std::string> plugins;
    for (const Field& plugin : field.Array(kMaxPlugins)) {
        const Object fields = plugin.Fields({"id", "file"});
        const PluginID id(fields.Required("id").Hex());
        if (!plugins.emplace(id, fields.Required("file").Text()).second)
            fields.Required("id").Fail("plug-in " + Hex(id.Get()) + " is listed twice");
    }
    return plugins;
}

// The session's EPS export preferences: a number or a text by operation number (1 to 999).
EPSExportPrefs ReadEPSExportPrefs(const Field& field) {
    EPSExportPrefs prefs;
    for (const auto& [name, value] : field.Members(kMaxFacets)) {
        if (name.empty() || name.size() > 3 || name[0] == '0' ||
            name.find_first_not_of("0123456789") != std::string::npos)
            value.Fail("expected an operation number from 1 to 999");
        if (value.IsText())
            prefs[std::stoi(name)] = value.Text();
        else
            prefs[std::stoi(name)] = value.Number();
    }
    return prefs;
}

OrderedJson DumpEPSExportPrefs() {
    OrderedJson json = OrderedJson::object();
    for (const auto& [operation, value] : SessionEPSExportPrefs())
        std::visit([&json, key = std::to_string(operation)](const auto& v) { json[key] = v; },
                   value);
    return json;
}

void LoadSession(const Json& description) {
    const Object fields =
        Field(description, "")
            .Fields({"kind", "plugins", "workspace", "layersPanel", "fonts", "colorManagement",
                     "epsExport", "flattenerStyles", "documents", "front"});
    if (fields.Required("kind").Text() != "session")
        fields.Required("kind").Fail("expected \"session\"");
    std::map<PluginID, std::string> plugins;
    if (auto list = fields.Optional("plugins"))
        plugins = ReadPlugins(*list);
    std::vector<std::unique_ptr<Document>> documents;
    if (auto list = fields.Optional("documents"))
        for (const Field& document : list->Array(kMaxDocuments))
            documents.push_back(ReadDocument(document));
    std::optional<std::size_t> front;
    if (auto index = fields.Optional("front")) {
        front = static_cast<std::size_t>(index->Int32(0));
        if (*front >= documents.size())
            index->Fail("no document has this index");
    }
    std::optional<ColorManagementState> colorManagement;
    if (auto state = fields.Optional("colorManagement"))
        colorManagement = ReadColorManagement(*state);
    std::optional<EPSExportPrefs> epsExport;
    if (auto prefs = fields.Optional("epsExport"))
        epsExport = ReadEPSExportPrefs(*prefs);
    std::optional<bool> layersPanel;
    if (auto present = fields.Optional("layersPanel"))
        layersPanel = present->Bool();
    std::optional<std::vector<FontInfo>> fonts;
    if (auto list = fields.Optional("fonts")) {
        fonts.emplace();
        for (const Field& font : list->Array(kMaxFonts)) {
            const Object fontFields = font.Fields({"name", "status", "type", "class"});
            fonts->push_back({fontFields.Required("name").Text(),
                              static_cast<std::uint32_t>(fontFields.Required("status").Int32(0)),
                              fontFields.Required("type").Int32(),
                              fontFields.Required("class").Int32()});
        }
    }
    std::vector<FlattenerStyle> styles;
    if (auto list = fields.Optional("flattenerStyles"))
        for (const Field& style : list->Array(kMaxListLength)) {
            const Object styleFields = style.Fields({"name", "settings"});
            styles.push_back({styleFields.Required("name").Text(),
                              ReadFlattenerSettings(styleFields.Required("settings"))});
        }
    // The facets are read into the session's workspace itself, so they come last: every other
    // field has been read without a change by then, and ReadFacets puts the facets back when one
    // of them is refused.
    if (auto workspace = fields.Optional("workspace")) {
        const Object workspaceFields = workspace->Fields({"facets"});
        if (auto facets = workspaceFields.Optional("facets"))
            ReadFacets(*SessionDataBase().GetBoss(SessionWorkspaceRef().GetUID()), *facets);
    }
    InstalledPlugins() = std::move(plugins);
    for (const FlattenerStyle& style : styles)
        AddFlattenerStyle(style);
    std::vector<Document*> opened;
    for (auto& document : documents)
        opened.push_back(&OpenDocument(std::move(document)));
    if (front)
        SetFrontDocument(opened[*front]);
    if (layersPanel)
        SetLayersPanelPresent(*layersPanel);
    if (fonts)
        SetFonts(std::move(*fonts));
    if (colorManagement)
        ApplyColorManagement(*colorManagement);
    if (epsExport)
        SessionEPSExportPrefs() = std::move(*epsExport);
}

} // namespace

Document& OpenDocumentDescription(std::string_view json) {
    return OpenDocument(ReadDocument(Field(Parse(json), "")));
}

void LoadSessionDescription(std::string_view json) {
    LoadSession(Parse(json));
}

void LoadDescription(std::string_view json) {
    const Json description = Parse(json);
    // A "kind" that is not a string is the document reader's to refuse.
    if (description.is_object() && description.contains("kind") && description["kind"] == "session")
        LoadSession(description);
    else
        OpenDocument(ReadDocument(Field(description, "")));
}

std::string DumpDocument(const Document& document) {
    const HostOwnAccess own;
    return DumpDocumentJson(document).dump(2) + "\n";
}

std::string DumpWorkspaceFacets(const Document& document) {
    const HostOwnAccess own;
    return DumpFacets(*document.db->GetBoss(document.workspace)).dump();
}

std::string DumpSession() {
    const HostOwnAccess own;
    OrderedJson plugins = OrderedJson::array();
    for (const auto& [id, file] : InstalledPlugins())
        plugins.push_back({{"id", Hex(id.Get())}, {"file", file}});
    OrderedJson json{
        {"kind", "session"},
        {"plugins", plugins},
        {"workspace",
         {{"facets", DumpFacets(*SessionDataBase().GetBoss(SessionWorkspaceRef().GetUID()))}}},
        {"layersPanel", IsLayersPanelPresent()},
        {"colorManagement", DumpColorManagement()},
        {"documents", OrderedJson::array()}};
    if (!Fonts().empty()) {
        json["fonts"] = OrderedJson::array();
        for (const FontInfo& font : Fonts())
            json["fonts"].push_back({{"name", font.name},
                                     {"status", font.status},
                                     {"type", font.type},
                                     {"class", font.fontClass}});
    }
    if (!SessionEPSExportPrefs().empty())
        json["epsExport"] = DumpEPSExportPrefs();
    const std::vector<FlattenerStyle> styles = FlattenerStyles();
    if (!styles.empty()) {
        json["flattenerStyles"] = OrderedJson::array();
        for (const FlattenerStyle& style : styles)
            json["flattenerStyles"].push_back(
                {{"name", style.name}, {"settings", DumpFlattenerSettings(style.settings)}});
    }
    const auto& documents = OpenDocuments();
    for (std::size_t i = 0; i < documents.size(); ++i) {
        json["documents"].push_back(DumpDocumentJson(*documents[i]));
        if (documents[i].get() == FrontDocument())
            json["front"] = i;
    }
    return json.dump(2) + "\n";
}

} // namespace host
