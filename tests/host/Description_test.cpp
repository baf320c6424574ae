#include "host/standin/Description.h"

#include "host/sdk/PlugIn.h"
#include "host/sdk/Stream.h"
#include "host/standin/ColorManagement.h"
#include "host/standin/PlugInList.h"
#include "host/standin/Session.h"
#include "support/HostFixture.h"
#include "support/SampleLayout.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <stdexcept>

namespace {

using Json = nlohmann::json;

// A persistent facet of the workspaces: one number, stored as 32 bits.
class ICounter : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xE00200};
    int m_value = 0;
};
constexpr PMIID kSecondCounter{0xE00201};

class Counter final : public CPMUnknown<ICounter> {
public:
    using CPMUnknown::CPMUnknown;
    // Reading -2 throws, as a facet whose data does not read may.
    void ReadWrite(IPMStream* stream, ImplementationID) {
        stream->XferInt32(m_value);
        if (m_value == -2 && !stream->IsWriting())
            throw std::runtime_error("a counter is never -2");
    }
};

constexpr ImplementationID kCounterImpl{0xE00300};
constexpr InterfaceEntry kCounters[] = {{ICounter::kDefaultIID, kCounterImpl},
                                        {kSecondCounter, kCounterImpl}};
constexpr ClassResource kClasses[] = {{kSessionWorkspaceBoss, kCounters},
                                      {kDocWorkspaceBoss, kCounters}};
const ImplementationRegistration kRegistration{kCounterImpl,
                                               PersistentImplementationFunctionsOf<Counter>()};
const PluginResources kResources{kClasses, {}, {}, {}, {}};

class DescriptionTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        ASSERT_TRUE(host::Attach(&m_plugin));
    }
    static int SessionCounter() {
        InterfacePtr<ICounter> counter(host::SessionWorkspaceRef(), UseDefaultIID{});
        return counter->m_value;
    }

    PlugIn m_plugin{PluginID{0xE00000}, &kRegistration, kResources};
};

TEST_F(DescriptionTest, ADumpReproducesTheDescriptionItWasLoadedFrom) {
    const Json sample = Json::parse(kSampleLayout);
    Json withFacets = sample;
    withFacets["workspace"]["facets"] = {{"0xE00200", "2a000000"}, {"0xE00201", "ffffffff"}};
    withFacets["spreads"][1]["items"][0]["fonts"] = {"Minion Pro", "Myriad"};
    Json& frame = withFacets["spreads"][0]["items"][0];
    frame["textFrame"] = {{"interfaces", {"0xCA13"}}, {"start", 0}, {"span", 1}};
    frame["transparency"] = {{"opacity", 50.5}, {"dropShadow", 2}};
    frame["transparent"] = true;
    withFacets["spreads"][0]["items"][1]["transparent"] = true;
    withFacets["stories"] = Json::parse(R"([{"id": 60, "frameList": 61,
        "text": "A \u00e9\ud83d\ude00", "frames": [20], "damaged": 0,
        "attributes": [{"span": 5, "font": "Myriad", "stroke": {"color": 90, "tint": 30}}],
        "lines": [{"y": 12, "count": 1, "runs": []},
                  {"y": 12, "count": 4, "runs": [{"start": 1, "span": 4, "width": 30,
                   "height": 10, "matrix": [1, 0, 0, 1, 5, 6]}]}]}])");
    withFacets["spreads"][1]["items"][0]["tests"] = "AD";
    withFacets["spreads"][1]["items"].push_back(
        {{"id", 33},
         {"class", "0xB667"},
         {"layer", 4},
         {"guide", {{"horizontal", false}, {"position", 7.5}, {"index", 16}}}});
    withFacets["profiles"] = Json::parse(R"([{"id": 50, "name": "SWOP", "path": "Z:/p/s.icc",
        "space": 3, "class": 1, "kind": 1, "data": "0102"}])");
    withFacets["colorManagement"] = {{"cmyk", 50}};
    withFacets["workspace"]["blendSpace"] = 2;
    withFacets["spreads"][0]["flattener"] = Json::parse(R"({"on": false,
        "values": [1, 2, 3, 4, 5], "options": 144, "valueMask": 1, "optionMask": 16})");
    withFacets["embedded"] = Json::parse(R"([{"id": 70, "data": "0a0b"}])");
    withFacets["spreads"][1]["items"][0]["placed"] = Json::parse(R"({
        "attributes": {"103": "02000000", "121": "433a"}, "fileTypes": ["TIFF", "PCX "],
        "eps": true, "imageObject": true, "embeddedImage": 60, "colors": [61, 62],
        "pdf": {"transparent": true, "colors": [61]},
        "links": [{"id": 51, "resource": 52, "fullName": "Z:/a.tif"}, {"id": 53}],
        "colorPolicy": 3, "profile": 50})");
    withFacets["colors"] = Json::parse(R"([
        {"id": 90, "class": "0xF0A000", "components": [91, 90], "space": 9, "values": [1, 0.5],
         "ink": {"kind": 1, "inks": [92], "count": 3}, "tint": 40, "paper": true},
        {"id": 91, "class": "0x6E0B"}])");
    withFacets["inks"] = Json::parse(R"([{"id": 92, "name": "Cyan", "process": true, "color": 90},
        {"id": 93, "name": "Spot", "process": false, "convertToProcess": true, "alias": 92}])");
    withFacets["swatches"] = {91, 90};
    withFacets["tables"] = Json::parse(R"([{"id": 94, "rows": 2, "columns": 1, "story": 60,
        "cells": [{"row": 1, "column": 0, "fill": {"color": 90, "tint": 50},
          "edges": [{"side": 2, "type": "0x1040C", "weight": 0.5, "tint": 100},
                    {"side": 3, "type": "0xF0A010", "weight": 1, "color": 91, "tint": 20}],
          "attributes": [{"class": "0xB6DA", "uid": 90}, {"class": "0xB6D9", "type": "0x1040C"},
                         {"class": "0xB6D8", "real": 0.25}],
          "text": [1, 4]}]}])");
    withFacets["spreads"][1]["items"].push_back(Json::parse(R"({"id": 96, "class": "0xF03005",
        "layer": 3, "bounds": [0, 0, 1, 1], "matrix": [1, 0, 0, 1, 0, 0], "stroke": 0,
        "graphics": {"stroke": 91, "nonPrinting": true}, "inks": ["Cyan", "Spot"],
        "colorTest": false})"));
    frame["table"] = Json::parse(R"({"model": 94, "areas": [[0, 0, 2, 1], [1, 0, 1, 1]]})");
    const host::Document& document = host::OpenDocumentDescription(withFacets.dump());
    EXPECT_EQ(Json::parse(host::DumpDocument(document)), withFacets);
    InterfacePtr<ICounter> counter(document.WorkspaceRef(), UseDefaultIID{});
    EXPECT_EQ(counter->m_value, 42);

    const Json session = {
        {"kind", "session"},
        {"plugins", {{{"id", "0x52E80"}, {"file", "Z:/plug-ins/Other.pln"}}}},
        {"workspace", {{"facets", {{"0xE00200", "07000000"}, {"0xE00201", "00000000"}}}}},
        {"layersPanel", false},
        {"fonts", {{{"name", "Myriad"}, {"status", 18}, {"type", 6}, {"class", 4}}}},
        {"colorManagement", Json::parse(R"({"on": false, "presets": {"workingRGB": "sRGB",
            "workingCMYK": "SWOP", "colorEngine": "ACE", "renderingIntent": 1,
            "blackPointCompensation": true}, "installedProfiles": [{"name": "SWOP", "path": "",
            "space": 3, "class": 1, "kind": 1, "data": ""}], "profilesAfterRefresh": []})")},
        {"epsExport", {{"6", "+2"}, {"9", 30.0}, {"10", 1.5}}},
        {"flattenerStyles", Json::parse(R"([{"name": "Zephrin Flattener", "settings": {"on": true,
            "values": [1, 300, 1200, 0, 0], "options": 144, "valueMask": 0, "optionMask": 0}}])")},
        {"documents", {sample, withFacets}},
        {"front", 0}};
    host::Reset();
    ASSERT_TRUE(host::Attach(&m_plugin));
    host::LoadDescription(session.dump());
    EXPECT_EQ(SessionCounter(), 7);
    EXPECT_EQ(host::FrontDocument(), host::OpenDocuments().front().get());
    Json expected = session;
    expected["documents"][0]["workspace"]["facets"] = {{"0xE00200", "00000000"},
                                                       {"0xE00201", "00000000"}};
    EXPECT_EQ(Json::parse(host::DumpSession()), expected);
}

TEST_F(DescriptionTest, ABadDescriptionIsRefusedByNameAndChangesNothing) {
    const auto document = [](const std::string& fields) {
        return R"({"kind": "document", "name": "A", )" + fields + "}";
    };
    const std::string layer = R"("layers": [{"id": 3, "name": "L"}], )";
    const auto spread = [&](const std::string& items) {
        return document(layer + R"("spreads": [{"id": 4, "pages": [{"id": 5, "width": 10,
            "height": 10}], "items": [)" +
                        items + "]}]");
    };
    std::string deepGroup = R"({"id": 99, "bounds": [0, 0, 1, 1]})";
    for (int level = 0; level < 17; ++level)
        deepGroup =
            R"({"id": )" + std::to_string(100 + level) + R"(, "items": [)" + deepGroup + "]}";
    deepGroup.insert(deepGroup.find("\"items\""), R"("layer": 3, )");
    // A million empty items: refused while the text is read, long before they are built.
    std::string manyItems = "{}";
    for (int i = 1; i < 1'000'000; ++i)
        manyItems += ", {}";
    std::string pages;
    for (int page = 0; page < 101; ++page)
        pages += (page ? ", " : "") + std::string(R"({"id": )") + std::to_string(10 + page) +
                 R"(, "width": 1, "height": 1})";

    const struct {
        std::string description;
        std::string error;
    } cases[] = {
        {"{\"kind\": ", ""}, // not JSON: nlohmann's own text follows
        {std::string(100, '[') + std::string(100, ']'),
         "the description nests deeper than 40 levels"},
        {R"({"kind": "page", "name": "A"})", "kind: expected \"document\""},
        {R"({"kind": [], "name": "A"})", "kind: expected a string"},
        {R"({"kind": "document"})", "name: missing"},
        {document(R"("spread": [])"), "spread: unknown field"},
        {document(R"("layers": [{"id": 3, "name": 5}])"), "layers[0].name: expected a string"},
        {document(R"("layers": [{"id": 0, "name": "L"}])"),
         "layers[0].id: expected an id from 1 to 4294967295"},
        {document(R"("layers": [{"id": 2, "name": "L"}])"), "layers[0].id: id 2 is already in use"},
        {document(R"("layers": [{"id": 3, "name": "L"}, {"id": 3, "name": "M"}])"),
         "layers[1].id: id 3 is already in use"},
        {document(R"("spreads": [{"id": 4, "pages": [{"id": 5, "width": 0, "height": 1}]}])"),
         "spreads[0].pages[0].width: expected a number above 0"},
        {document(R"("spreads": [{"id": 4, "pages": [)" + pages + "]}]"),
         "spreads[0].pages: more than 100 entries"},
        {spread(manyItems), "spreads[0].items: more than 10000 entries"},
        {spread(R"({"id": 6, "layer": 9, "bounds": [0, 0, 1, 1]})"),
         "spreads[0].items[0].layer: no layer has id 9"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1]})"),
         "spreads[0].items[0].bounds: expected an array of 4 numbers"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1], "tests": "BA"})"),
         "spreads[0].items[0].tests: expected the letters A, B and D, each at most once, in that "
         "order"},
        {spread(
             R"({"id": 6, "layer": 3, "items": [{"id": 7, "layer": 3, "bounds": [0, 0, 1, 1]}]})"),
         "spreads[0].items[0].items[0].layer: a group's member is on its group's layer"},
        {spread(deepGroup), "spreads[0].items[0]" +
                                [] {
                                    std::string path;
                                    for (int level = 0; level < 17; ++level)
                                        path += ".items[0]";
                                    return path;
                                }() +
                                ": groups nest deeper than 16 levels"},
        {spread(R"({"id": 6, "layer": 3, "class": "B667", "bounds": [0, 0, 1, 1]})"),
         "spreads[0].items[0].class: expected \"0x\" and one to eight hex digits"},
        {document(layer + R"("spreads": [{"id": 4, "pages": [{"id": 5, "width": 1, "height": 1}]}],
            "sections": [{"name": "S", "start": 5, "count": 2, "style": "0x1"}])"),
         "sections[0].count: the section runs past the last page"},
        {document(layer + R"("view": {"spread": 4, "page": 5})"),
         "view.spread: no spread has id 4"},
        {document(R"("workspace": {"facets": {"0xE00999": ""}})"),
         "workspace.facets.0xE00999: no persistent facet 0xE00999 here"},
        {document(R"("workspace": {"facets": {"0xE00200": "2a0"}})"),
         "workspace.facets.0xE00200: expected pairs of hex digits"},
        {document(R"("workspace": {"facets": {"0xE00200": "2a00"}})"),
         "workspace.facets.0xE00200: the facet's data ends early"},
        {document(R"("workspace": {"facets": {"0xE00200": "2a00000000"}})"),
         "workspace.facets.0xE00200: the facet reads only 4 of its 5 bytes"},
        {document(R"("workspace": {"facets": {"0xE00200": "feffffff"}})"),
         "workspace.facets.0xE00200: the facet does not read: a counter is never -2"},
        {R"({"kind": "session", "workspace": {"facets": {"0xE00200": "07000000",
            "0xE00201": "07"}}})",
         "workspace.facets.0xE00201: the facet's data ends early"},
        {document(R"("colors": [{"id": 6, "components": [7]}])"),
         "colors[0].components[0]: no colour has id 7"},
        {document(R"("colors": [{"id": 6, "ink": {"inks": [6]}}])"),
         "colors[0].ink.inks[0]: no ink has id 6"},
        {document(R"("tables": [{"id": 6, "rows": 1000, "columns": 101}])"),
         "tables[0].rows: more than 100000 cells"},
        {document(R"("tables": [{"id": 6, "rows": 1, "columns": 1,
            "cells": [{"row": 0, "column": 1}]}])"),
         "tables[0].cells[0]: the cell lies outside the table"},
        {document(R"("tables": [{"id": 6, "rows": 1, "columns": 1,
            "cells": [{"row": 0, "column": 0}, {"row": 0, "column": 0}]}])"),
         "tables[0].cells[1]: a second cell at the same row and column"},
        {document(R"("tables": [{"id": 6, "rows": 1, "columns": 1, "cells": [{"row": 0,
            "column": 0, "attributes": [{"class": "0xB6D8", "real": 1, "type": "0x1"}]}]}])"),
         "tables[0].cells[0].attributes[0]: expected one of \"type\", \"real\" and \"uid\""},
        {document(R"("tables": [{"id": 6, "rows": 1, "columns": 1, "story": 7}])"),
         "tables[0].story: no story has id 7"},
        {document(R"("stories": [{"id": 6, "frameList": 7, "text": "", "frames": []},
            {"id": 8, "frameList": 9, "text": "A\tB", "frames": [], "lines": [
              {"y": 1, "count": 1}, {"y": 2, "count": 3}]}],
            "tables": [{"id": 10, "rows": 1, "columns": 2, "story": 8, "cells": [
              {"row": 0, "column": 0, "text": [0, 1]}, {"row": 0, "column": 1, "text": [2, 1]}]},
              {"id": 11, "rows": 1, "columns": 1, "story": 8,
               "cells": [{"row": 0, "column": 0, "text": [0, 1]}]}])"),
         "stories[1].lines[0]: the line holds the text of two table cells, (0, 0) of table 10 and "
         "(0, 0) of table 11"},
        {document(R"("stories": [{"id": 8, "frameList": 9, "text": "A\tB", "frames": [],
            "lines": [{"y": 1, "count": 0}, {"y": 2, "count": 3}]}],
            "tables": [{"id": 10, "rows": 1, "columns": 2, "story": 8, "cells": [
              {"row": 0, "column": 0, "text": [0, 1]}, {"row": 0, "column": 1, "text": [2, 1]}]}])"),
         "stories[0].lines[1]: the line holds the text of two table cells, (0, 0) of table 10 and "
         "(0, 1) of table 10"},
        // A table's cells hold their text after the story's own text, which its frames show.
        {document(layer + R"("spreads": [{"id": 4, "items": [{"id": 6, "layer": 3,
            "bounds": [0, 0, 1, 1], "textFrame": {"start": 0, "span": 4}, "table": {"model": 10}}]}],
            "stories": [{"id": 8, "frameList": 9, "text": "\u0016Abc", "frames": [6]}],
            "tables": [{"id": 10, "rows": 1, "columns": 1, "story": 8,
              "cells": [{"row": 0, "column": 0, "text": [1, 3]}]}])"),
         "spreads[0].items[0].textFrame.span: the frame's text runs past character 1 of story 8, "
         "where the text of its table cells begins: a frame shows only the story's own text, which "
         "comes before its cells' text"},
        {document(R"("stories": [{"id": 8, "frameList": 9, "text": "\u0016AB", "frames": [],
            "lines": [{"y": 1, "count": 2}, {"y": 2, "count": 1}]}],
            "tables": [{"id": 10, "rows": 1, "columns": 1, "story": 8, "cells": [
              {"row": 0, "column": 0, "text": [1, 2]}]}])"),
         "stories[0].lines[0]: the line holds the story's own text and the text of table cell (0, "
         "0) of table 10: each cell's text is on lines of its own"},
        {document(R"("stories": [{"id": 8, "frameList": 9, "text": "AB", "frames": []}],
            "tables": [{"id": 10, "rows": 1, "columns": 2, "story": 8, "cells": [
              {"row": 0, "column": 0, "text": [1, 1]}, {"row": 0, "column": 1, "text": [0, 1]}]}])"),
         "tables[0].cells[1].text: the cell's text begins before the end of that of cell (0, 0) "
         "of table 10: a table's cells hold their text one after another in row order"},
        {document(R"("stories": [{"id": 8, "frameList": 9, "text": "AB", "frames": []}],
            "tables": [{"id": 10, "rows": 1, "columns": 1, "story": 8,
              "cells": [{"row": 0, "column": 0, "text": [1, 2]}]}])"),
         "tables[0].cells[0].text: the cell's text runs past the end of the 2 characters of story "
         "8"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1], "table": {"model": 7}})"),
         "spreads[0].items[0].table.model: no table has id 7"},
        // A table lives in the story of the text frame that carries it.
        {document(layer + R"("spreads": [{"id": 4, "items": [{"id": 6, "layer": 3,
            "bounds": [0, 0, 1, 1], "table": {"model": 10}}]}],
            "stories": [{"id": 8, "frameList": 9, "text": "A", "frames": []}],
            "tables": [{"id": 10, "rows": 1, "columns": 1, "story": 8}])"),
         "spreads[0].items[0].table.model: the story 8 of table 10 is not threaded through item "
         "6, which carries the table"},
        {document(layer + R"("spreads": [{"id": 4, "items": [
            {"id": 6, "layer": 3, "bounds": [0, 0, 1, 1], "textFrame": {"start": 0, "span": 1}},
            {"id": 7, "layer": 3, "bounds": [0, 0, 1, 1], "textFrame": {"start": 0, "span": 1},
             "table": {"model": 10}}]}],
            "stories": [{"id": 8, "frameList": 9, "text": "A", "frames": [6]},
                        {"id": 11, "frameList": 12, "text": "B", "frames": [7]}],
            "tables": [{"id": 10, "rows": 1, "columns": 1, "story": 8}])"),
         "spreads[0].items[1].table.model: the story 8 of table 10 is not threaded through item "
         "7, which carries the table"},
        {document(layer + R"("spreads": [{"id": 4, "flattener": {"values": [1]}}])"),
         "spreads[0].flattener.values: expected an array of 5 numbers"},
        {R"({"kind": "session", "documents": [], "front": 0})",
         "front: no document has this index"},
        {R"({"kind": "session", "plugins": [{"id": "0x1", "file": "A"}, {"id": "0x1", "file": "B"}]})",
         "plugins[1].id: plug-in 0x1 is listed twice"},
        {document(R"("workspace": {"print": {"printer": "P", "copies": 0}})"),
         "workspace.print.copies: expected a whole number from 1 to 2147483647"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1],
            "textFrame": {"interfaces": ["0xCA14"], "start": 0, "span": 1}})"),
         "spreads[0].items[0].textFrame.interfaces[0]: expected \"0xCA12\" or \"0xCA13\""},
        {document(R"("stories": [{"id": 6, "frameList": 7, "text": "", "frames": [2]}])"),
         "stories[0].frames[0]: no text frame has id 2"},
        {document(layer + R"("spreads": [{"id": 4, "items": [{"id": 6, "layer": 3,
            "bounds": [0, 0, 1, 1], "textFrame": {"start": 0, "span": 1}}]}], "stories": [
            {"id": 7, "frameList": 8, "text": "", "frames": [6]},
            {"id": 9, "frameList": 10, "text": "", "frames": [6]}])"),
         "stories[1].frames[0]: the text frame is in story 7"},
        {R"({"kind": "session", "fonts": [{"name": "F", "status": -1, "type": 0,
            "class": 0}]})",
         "fonts[0].status: expected a whole number from 0 to 2147483647"},
        {R"({"kind": "session", "colorManagement": {"on": false, "presets": {"workingRGB": 1}}})",
         "colorManagement.presets.workingRGB: expected a string"},
        {R"({"kind": "session", "epsExport": {"06": 1}})",
         "epsExport.06: expected an operation number from 1 to 999"},
        // Facets that read, in a session refused for a field read after them.
        {R"({"kind": "session", "workspace": {"facets": {"0xE00200": "07000000"}},
            "epsExport": {"06": 1}})",
         "epsExport.06: expected an operation number from 1 to 999"},
        {R"({"kind": "session", "workspace": {"facets": {"0xE00200": "07000000"}},
            "flattenerStyles": [{"name": "S"}]})",
         "flattenerStyles[0].settings: missing"},
        {document(R"("profiles": [{"id": 3, "name": "P"}], "colorManagement": {"rgb": 4})"),
         "colorManagement.rgb: no profile has id 4"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1], "placed": {"profile": 3}})"),
         "spreads[0].items[0].placed.profile: no profile has id 3"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1],
            "placed": {"attributes": {"x": ""}}})"),
         "spreads[0].items[0].placed.attributes.x: expected a tag from 0 to 999999999"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1],
            "placed": {"fileTypes": ["TIF"]}})"),
         "spreads[0].items[0].placed.fileTypes[0]: expected four characters"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1],
            "placed": {"links": [{"id": 7, "fullName": "a"}]}})"),
         "spreads[0].items[0].placed.links[0].fullName: a link without a resource has no full "
         "name"},
        {spread(R"({"id": 6, "layer": 3, "bounds": [0, 0, 1, 1],
            "placed": {"links": [{"id": 7, "resource": 6, "fullName": "a"}]}})"),
         "spreads[0].items[0].placed.links[0].resource: id 6 is already in use"},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        try {
            host::LoadDescription(c.description);
            ADD_FAILURE() << "accepted: " << c.description;
        } catch (const host::DescriptionError& error) {
            if (c.error.empty())
                EXPECT_TRUE(std::string(error.what()).starts_with("not JSON: ")) << error.what();
            else
                EXPECT_EQ(error.what(), c.error);
        }
        // Reading is linear in the text: a few seconds at most, sanitizers included.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.error;
        EXPECT_TRUE(host::OpenDocuments().empty()) << c.description;
        EXPECT_TRUE(host::InstalledPlugins().empty()) << c.description;
        EXPECT_EQ(SessionCounter(), 0) << c.description;
        EXPECT_TRUE(host::ColorManagementOn()) << c.description;
    }
}

} // namespace
