#include "Cli.h"

#include "CTabDoc.h"
#include "ScoreJson.h"
#include "StderrPrompter.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifndef FRETLARK_VERSION
#define FRETLARK_VERSION "0.0.0"
#endif

namespace {

const char* kUsage =
    "Utilisation : fretlark [FICHIER]\n"
    "       fretlark --dump FICHIER\n"
    "       fretlark --convert ENTREE SORTIE\n"
    "       fretlark --render ENTREE SORTIE.wav [--from N] [--speed POURCENTAGE] [--count-in] [--metronome]\n"
    "       fretlark --export-midi ENTREE SORTIE.mid\n"
    "       fretlark --print ENTREE SORTIE.pdf [--paper a4|letter] [--tracks 1,2,...]\n"
    "       fretlark --snapshot ENTREE SORTIE.png [--width L] [--height H] [--zoom Z] [--background B]\n"
    "       fretlark --help | --version\n"
    "\n"
    "Sans option, ouvre l'éditeur (avec FICHIER s'il est donné).\n"
    "  --dump      affiche la partition au format JSON\n"
    "  --convert   ouvre ENTREE (.tbf, .gp3, .gp4, .gp5) et l'enregistre au format .tbf\n"
    "  --print     imprime la partition dans un fichier PDF (A4 sans --paper)\n";

// Modes handled by the window build, before the editor starts.
const std::set<std::string> kOtherModes = {"--snapshot", "--render", "--print", "--export-midi"};

// The options Qt takes for itself, with whether a value follows.
const std::map<std::string, bool> kQtOptions = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true}, {"qwindowicon", true}, {"icon", true},
    {"qwindowtitle", true}, {"title", true}, {"session", true}, {"display", true}, {"name", true},
    {"style", true}, {"stylesheet", true}, {"reverse", false}, {"widgetcount", false}, {"nograb", false},
    {"dograb", false}, {"sync", false},
};

// The first argument that looks like an option but is none the editor or Qt knows.
std::optional<std::string> unknownOption(const std::vector<std::string>& args)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() < 2 || a[0] != '-')
            continue;
        std::string name = a.substr(a[1] == '-' ? 2 : 1);
        const bool inlineValue = name.find('=') != std::string::npos;
        name = name.substr(0, name.find('='));
        const auto qt = kQtOptions.find(name);
        if (qt == kQtOptions.end())
            return a;
        if (qt->second && !inlineValue)
            ++i;
    }
    return std::nullopt;
}

int usageError(const std::string& what)
{
    std::cerr << what << "\n\n" << kUsage;
    return 2;
}

} // namespace

std::optional<int> runCommandLine(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return std::nullopt;
    const std::string& mode = args[0];
    if (mode == "--help" || mode == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (mode == "--version") {
        std::cout << "Fretlark " << FRETLARK_VERSION << '\n';
        return 0;
    }
    if (mode == "--dump") {
        if (args.size() != 2)
            return usageError("--dump attend un fichier.");
        CTabDoc doc;
        StderrPrompter prompter;
        if (!openScoreForCommand(doc, prompter, args[1]))
            return 1;
        std::cout << scoreToJson(doc);
        return 0;
    }
    if (mode == "--convert") {
        if (args.size() != 3)
            return usageError("--convert attend un fichier d'entrée et un fichier de sortie.");
        CTabDoc doc;
        StderrPrompter prompter;
        if (!openScoreForCommand(doc, prompter, args[1]))
            return 1;
        return doc.OnSaveDocument(args[2]) ? 0 : 1;
    }
    if (kOtherModes.count(mode))
        return std::nullopt; // handled by the window build
    // Anything else starts the editor, which must not swallow a mistyped mode.
    if (const auto bad = unknownOption(args))
        return usageError("Option inconnue : " + *bad);
    return std::nullopt;
}
