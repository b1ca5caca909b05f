// Writes the bundle's manifest.ttl and plug-in description from the port table, at build
// time: ttl_writer BUNDLE_DIR BINARY_NAME
#include <cstdio>
#include <fstream>
#include <string>

#include "core/parameter_table.h"
#include "lv2/lv2_ports.h"

namespace {

std::string number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(value));
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

void writeControl(std::ostream& out, int port, const lv2_ports::Control& c) {
    out << "        a lv2:InputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << port << " ;\n"
        << "        lv2:symbol \"" << c.symbol << "\" ;\n"
        << "        lv2:name \"" << c.name << "\" ;\n"
        << "        lv2:default " << number(lv2_ports::hostValue(c, parameters::defaultValue(c.parameter))) << " ;\n"
        << "        lv2:minimum " << number(c.minimum) << " ;\n"
        << "        lv2:maximum " << number(c.maximum);
    if (c.law == lv2_ports::Law::kToggle) out << " ;\n        lv2:portProperty lv2:toggled";
    if (c.law == lv2_ports::Law::kThreeWay) {
        out << " ;\n        lv2:portProperty lv2:integer, lv2:enumeration";
        for (int i = 0; i < 3; ++i)
            out << " ;\n        lv2:scalePoint [ rdfs:label \"" << c.choices[i] << "\" ; rdf:value " << i << ".0 ]";
    } else if (c.integer && c.law != lv2_ports::Law::kToggle) {
        out << " ;\n        lv2:portProperty lv2:integer";
    }
    if (c.law == lv2_ports::Law::kSweep) out << " ;\n        lv2:portProperty pprops:logarithmic";
    if (c.unit) out << " ;\n        units:unit units:" << c.unit;
    out << "\n";
}

void writeOutput(std::ostream& out, int port, const lv2_ports::Output& o) {
    const bool led = o.reading == lv2_ports::kOverLed;
    out << "        a lv2:OutputPort, lv2:ControlPort ;\n"
        << "        lv2:index " << port << " ;\n"
        << "        lv2:symbol \"" << o.symbol << "\" ;\n"
        << "        lv2:name \"" << o.name << "\" ;\n"
        << "        lv2:default " << (led ? "0.0" : number(lv2_ports::kLowestDb)) << " ;\n"
        << "        lv2:minimum " << (led ? "0.0" : number(lv2_ports::kLowestDb)) << " ;\n"
        << "        lv2:maximum " << (led ? "1.0" : number(lv2_ports::kHighestDb)) << " ;\n"
        << (led ? "        lv2:portProperty lv2:toggled\n" : "        units:unit units:db\n");
}

bool writeDescription(const std::string& path, const std::string& binary) {
    std::ofstream out(path);
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
           "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
           "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
           "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
           "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
           "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
           "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
           "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n"
        << "<" << lv2_ports::kPluginUri << ">\n"
        << "    a lv2:Plugin, lv2:AnalyserPlugin ;\n"
        << "    doap:name \"ZEB Aldermark\" ;\n"
        << "    doap:maintainer [ foaf:name \"ZEB\" ; foaf:homepage <https://kestrune-zeb.com/> ] ;\n"
        << "    lv2:minorVersion 0 ; lv2:microVersion 3 ;\n"
        << "    lv2:binary <" << binary << "> ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable, urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui <" << lv2_ports::kUiUri << "> ;\n"
        << "    lv2:port [\n";
    for (int i = 0; i < lv2_ports::kAudioPortCount; ++i) {
        out << "        a " << (i < 2 ? "lv2:InputPort" : "lv2:OutputPort") << ", lv2:AudioPort ;\n"
            << "        lv2:index " << i << " ;\n"
            << "        lv2:symbol \"" << lv2_ports::kAudioSymbols[i] << "\" ;\n"
            << "        lv2:name \"" << lv2_ports::kAudioNames[i] << "\"\n"
            << "    ] , [\n";
    }
    for (int i = 0; i < lv2_ports::kControlCount; ++i) {
        writeControl(out, lv2_ports::kFirstControlPort + i, lv2_ports::kControls[i]);
        out << "    ] , [\n";
    }
    for (int i = 0; i < lv2_ports::kOutputCount; ++i) {
        writeOutput(out, lv2_ports::kFirstOutputPort + i, lv2_ports::kOutputs[i]);
        out << (i + 1 < lv2_ports::kOutputCount ? "    ] , [\n" : "    ] .\n");
    }
    // The editor needs the instance itself: it shows the meters and settings no port carries.
    out << "\n<" << lv2_ports::kUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << binary << "> ;\n"
        << "    lv2:requiredFeature ui:parent, <http://lv2plug.in/ns/ext/instance-access> ;\n"
        << "    lv2:optionalFeature ui:resize, ui:touch, <http://lv2plug.in/ns/ext/options#options> ;\n"
        << "    <http://lv2plug.in/ns/ext/options#supportedOption> ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface .\n";
    return static_cast<bool>(out);
}

bool writeManifest(const std::string& path, const std::string& binary) {
    std::ofstream out(path);
    out << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
           "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n\n"
        << "<" << lv2_ports::kPluginUri << ">\n"
        << "    a lv2:Plugin ;\n"
        << "    lv2:binary <" << binary << "> ;\n"
        << "    rdfs:seeAlso <zeb-aldermark.ttl> .\n\n"
        << "<" << lv2_ports::kUiUri << ">\n"
        << "    a ui:X11UI ;\n"
        << "    ui:binary <" << binary << "> ;\n"
        << "    rdfs:seeAlso <zeb-aldermark.ttl> .\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ttl_writer BUNDLE_DIR BINARY_NAME\n");
        return 2;
    }
    const std::string dir = argv[1], binary = argv[2];
    if (!writeManifest(dir + "/manifest.ttl", binary) || !writeDescription(dir + "/zeb-aldermark.ttl", binary)) {
        std::fprintf(stderr, "ttl_writer: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
