#include "Cli.h"

#include "CTabDoc.h"
#include "ScoreJson.h"
#include "StderrPrompter.h"

#include <cstdio>
#include <iostream>
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
    "       fretlark --print ENTREE SORTIE.pdf\n"
    "       fretlark --snapshot ENTREE SORTIE.png [--width L] [--height H] [--zoom Z] [--background B]\n"
    "       fretlark --help | --version\n"
    "\n"
    "Sans option, ouvre l'éditeur (avec FICHIER s'il est donné).\n"
    "  --dump      affiche la partition au format JSON\n"
    "  --convert   ouvre ENTREE (.tbf, .gp3, .gp4) et l'enregistre au format .tbf\n";

int usageError(const std::string& what)
{
    std::cerr << what << "\n\n" << kUsage;
    return 2;
}

bool openScore(CTabDoc& doc, StderrPrompter& prompter, const std::string& path)
{
    doc.setPrompter(&prompter);
    doc.OnNewDocument();
    doc.OnOpenDocument(path);
    return !doc.lastOpenFailed();
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
        if (!openScore(doc, prompter, args[1]))
            return 1;
        std::cout << scoreToJson(doc);
        return 0;
    }
    if (mode == "--convert") {
        if (args.size() != 3)
            return usageError("--convert attend un fichier d'entrée et un fichier de sortie.");
        CTabDoc doc;
        StderrPrompter prompter;
        if (!openScore(doc, prompter, args[1]))
            return 1;
        return doc.OnSaveDocument(args[2]) ? 0 : 1;
    }
    if (mode.rfind("--", 0) == 0)
        return std::nullopt; // other modes belong to the window build
    return std::nullopt;
}
