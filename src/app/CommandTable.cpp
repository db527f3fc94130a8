#include "CommandTable.h"

#include "CommandIds.h"

#include <algorithm>
#include <array>

using namespace cmd;

namespace {

constexpr int S = Separator;

struct CommandText {
    int id;
    const char* text;  // status prompt, then "\n" and the tool tip when they differ
    const char* image; // toolbar image name, nullptr without one
};

// The string table. Texts quoted by the behaviour description are used as
// they are, odd spellings included; the others are ours, in the same style.
const std::array kCommands = {
    CommandText{FileNew, "Crée un nouveau document\nNouveau", "new"},
    CommandText{FileOpen, "Ouvre un document existant\nOuvrir", "open"},
    CommandText{FileSave, "Enregistre la partition\nEnregistrer", "save"},
    CommandText{FileSaveAs, "Enregistre la partition sous un autre nom\nEnregistrer sous", nullptr},
    CommandText{FilePrintSetup, "Change les options d'imprimante et d'impression\nConfiguration de l'impression", nullptr},
    CommandText{FilePrint, "Imprime la partition\nImprimer", "print"},
    CommandText{FilePrintPreview, "Affiche la partition telle qu'elle sera imprimée\nAperçu avant impression", nullptr},
    CommandText{FileExportPdf, "Enregistre les pages imprimées dans un fichier PDF\nExporter en PDF", nullptr},
    CommandText{FileMru1, "Ouvre cette partition\nFichier récent", nullptr},
    CommandText{FileMru2, "Ouvre cette partition\nFichier récent", nullptr},
    CommandText{FileMru3, "Ouvre cette partition\nFichier récent", nullptr},
    CommandText{FileMru4, "Ouvre cette partition\nFichier récent", nullptr},
    CommandText{AppAbout, "Affiche le nom et la version du programme\nA propos de", nullptr},
    CommandText{AppExit, "Quitte l'application\nQuitter", nullptr},

    CommandText{HelpApp, "Aide de Fretlark", "help"},
    CommandText{HelpBrowser, "Lance l'aide de Fretlark", nullptr},
    CommandText{Help, "Lance l'aide de Fretlark", nullptr},
    CommandText{DefaultHelp, "Lance l'aide de Fretlark", nullptr},

    CommandText{EditUndo, "Annule la dernière modification de la partition\nAnnuler", "undo"},
    CommandText{EditRedo, "Rétablit la modification annulée\nRétablir", "redo"},
    CommandText{Cut, "Coupe des mesures et les garde pour les coller\nCouper", "cut"},
    CommandText{Copy, "Copie des mesures pour les coller\nCopier", "copy"},
    CommandText{Paste, "Colle les mesures copiées ou coupées\nColler", "paste"},
    CommandText{InsertBeat, "Insère un temps avant le curseur\nInsérer", nullptr},
    CommandText{DeleteBeat, "Supprime le temps sous le curseur\nSupprimer", nullptr},
    CommandText{InsertMeasure, "Insère une mesure avant la mesure du curseur\nInsérer une mesure", nullptr},
    CommandText{ScoreProperties, "Titre, auteur, tableur et notes du morceau\nPropriétés de la partition", nullptr},

    CommandText{Whole, "Ronde", "whole"},
    CommandText{Half, "Blanche", "half"},
    CommandText{Quarter, "Noire", "quarter"},
    CommandText{Eighth, "Croche", "eighth"},
    CommandText{Sixteenth, "Double Croche", "sixteenth"},
    CommandText{ThirtySecond, "Triple Croche", "thirtysecond"},
    CommandText{SixtyFourth, "Quadruple Croche", "sixtyfourth"},
    CommandText{Dotted, "Pointée", "dotted"},
    CommandText{Triplet, "Triolet", "triplet"},

    CommandText{DeadNote, "Note Etoufée", "deadnote"},
    CommandText{Rest, "Silence", "rest"},
    CommandText{Tie, "Liaison", "tie"},
    CommandText{PullOff, "Pull Off", "pulloff"},
    CommandText{HammerOn, "Hammer On", "hammeron"},
    CommandText{SlideUp, "Slide Up", "slideup"},
    CommandText{SlideDown, "Slide Down", "slidedown"},
    CommandText{Arpeggio, "Arpéger l'accord\nArpège", "arpeggio"},
    CommandText{Tapping, "Tapping", "tapping"},
    CommandText{LeftHandTapping, "Tapping Main Gauche", "lefthandtapping"},
    CommandText{NaturalHarmonic, "Harmonique Naturelle", "naturalharmonic"},
    CommandText{ArtificialHarmonic, "Harmonique Artificielle", "artificialharmonic"},
    CommandText{Slap, "Slap", "slap"},
    CommandText{Pop, "Pop", "pop"},
    CommandText{Bend, "Bend", "bend"},
    CommandText{HeldBend, "Note Tenue", "heldbend"},
    CommandText{Release, "Release", "release"},
    CommandText{BendRelease, "Bend & Release", "bendrelease"},
    CommandText{Vibrato, "Vibrato Main Gauche", "vibrato"},
    CommandText{TremoloBar, "Tremolo Bar", "tremolobar"},
    CommandText{BarDip, "Coup de Barre", "bardip"},
    CommandText{PalmMute, "Palm Mute", "palmmute"},

    CommandText{Play, "Lecture\nLecture à partir de la position courante", "play"},
    CommandText{PlayFromStart, "Lecture\nLecture à partir du début", "playfromstart"},
    CommandText{Stop, "Stop\nStop", "stop"},
    CommandText{GoToStart, "Retour au début\nRetour au début de la partition", "gotostart"},
    CommandText{GoToEnd, "Aller à la fin\nAller à la fin de la partition", "gotoend"},
    CommandText{LoopPlay, "Jouer en boucle\nJouer la partition en boucle", "loop"},
    CommandText{ChangeInstrument, "Changer d'instrument", "changeinstrument"},
    CommandText{Signature, "Change la signature rythmique des mesures\nSignature", "signature"},
    CommandText{Tempo, "Change le tempo des mesures\nTempo", "tempo"},
    CommandText{RepeatStart, "Mesure de début de répétition", "repeatstart"},
    CommandText{RepeatEnd, "Mesure de fin de répétition", "repeatend"},
    CommandText{Volumes, "Volume des pistes\nVolume des pistes", "volumes"},
    CommandText{Capo, "Place le capodastre sur la piste\nCapodastre", "capo"},
    CommandText{Tuning, "Accorder l'instrument", "tuning"},
    CommandText{Effects, "Ajuster les effets", "effects"},
    CommandText{ZoomIn, "Zoom avant", "zoomin"},
    CommandText{ZoomOut, "Zoom arrière", "zoomout"},
    CommandText{MultiTrackView, "Affichage multiple / simple", "multitrack"},
    CommandText{ScrollDuringPlayback, "Défilement pendant la lecture", nullptr},

    CommandText{AddTrack, "Ajoute une piste à la partition\nAjouter une piste", nullptr},
    CommandText{DeleteTrack, "Supprime la piste en cours\nSupprimer cette piste", nullptr},
    CommandText{Track1, "Piste 1", nullptr},
    CommandText{Track2, "Piste 2", nullptr},
    CommandText{Track3, "Piste 3", nullptr},
    CommandText{Track4, "Piste 4", nullptr},
    CommandText{Track5, "Piste 5", nullptr},
    CommandText{Track6, "Piste 6", nullptr},
    CommandText{Track7, "Piste 7", nullptr},
    CommandText{Track8, "Piste 8", nullptr},
    CommandText{Track9, "Piste 9", nullptr},
    CommandText{Track10, "Piste 10", nullptr},

    CommandText{ViewRhythmBar, "Affiche ou masque la barre Rythme\nRythme", nullptr},
    CommandText{ViewAttributesBar, "Affiche ou masque la barre Attributs des notes\nEffets", nullptr},
    CommandText{ViewSettingsBar, "Affiche ou masque la barre Réglages et lecture\nRéglages", nullptr},
    CommandText{ViewStandardBar, "Affiche ou masque la barre Outils Standard\nOutils standards", nullptr},
    CommandText{ViewStatusBar, "Affiche ou masque la barre d'état\nBarre d'état", nullptr},
    CommandText{BackgroundGreen, "Fond Vert", nullptr},
    CommandText{BackgroundTurquoise, "Fond Turquoise", nullptr},
    CommandText{BackgroundBlue, "Fond Bleu", nullptr},
    CommandText{BackgroundGrey, "Fond Gris", nullptr},
    CommandText{BackgroundRelief, "Fond Relief", nullptr},
};

const CommandText* find(int id)
{
    for (const CommandText& c : kCommands)
        if (c.id == id)
            return &c;
    return nullptr;
}

constexpr std::array<int, 10> kTrackCommands = {Track1, Track2, Track3, Track4, Track5,
                                                Track6, Track7, Track8, Track9, Track10};

} // namespace

const std::vector<MenuDef>& CommandTable::menuBar()
{
    static const std::vector<MenuDef> menus = {
        {"&Fichier",
         {{FileNew, "&Nouveau\tCtrl+N"},
          {FileOpen, "&Ouvrir...\tCtrl+O"},
          {FileSave, "&Enregistrer\tCtrl+S"},
          {FileSaveAs, "En&registrer sous..."},
          {S, ""},
          {FilePrint, "&Imprimer...\tCtrl+P"},
          {FilePrintPreview, "Aperçu a&vant impression"},
          {FilePrintSetup, "C&onfiguration de l'impression..."},
          {FileExportPdf, "E&xporter en PDF..."},
          {S, ""},
          {FileMru1, kRecentFileText},
          {S, ""},
          {AppExit, "&Quitter"}}},
        {"&Edition",
         {{EditUndo, "Annuler\tCtrl+Z"},
          {EditRedo, "Rétablir\tCtrl+Y"},
          {S, ""},
          {ScoreProperties, "&Propriétés de la partition\tF5"},
          {S, ""},
          {InsertMeasure, "&Insérer une mesure"},
          {S, ""},
          {AddTrack, "&Ajouter une piste"},
          {DeleteTrack, "&Supprimer cette piste"},
          {S, ""},
          {Paste, "Coller\tCtrl+V"},
          {Copy, "Copier\tCtrl+C"},
          {Cut, "Couper\tCtrl+X"},
          {S, ""},
          {InsertBeat, "Insérer\tIns"},
          {DeleteBeat, "Supprimer\tSuppr"},
          {S, ""},
          {Play, "Lecture"},
          {GoToStart, "Retour rapide"},
          {GoToEnd, "Avance Rapide"}}},
        {"Effe&ts",
         {{DeadNote, "Note Etouffée\tX"},
          {Rest, "Silence\tS"},
          {S, ""},
          {Tie, "Liaison\tL"},
          {PullOff, "Pull Off\tP"},
          {HammerOn, "Hammer On\tH"},
          {S, ""},
          {SlideUp, "Slide Up\t/"},
          {SlideDown, "Slide Down\t*"},
          {Arpeggio, "Arpéger l'accord\t$"},
          {S, ""},
          {Tapping, "Tapping\tT"},
          {LeftHandTapping, "Tapping Main Gauche"},
          {NaturalHarmonic, "Harmonique Naturelle\tN"},
          {ArtificialHarmonic, "Harmonique Artificielle\tA"},
          {Slap, "Slap\tJ"},
          {Pop, "Pop\tK"},
          {S, ""},
          {Bend, "Bend\tB"},
          {HeldBend, "Note tenue\tZ"},
          {Release, "Release\tR"},
          {BendRelease, "Bend & Release\tE"},
          {S, ""},
          {Vibrato, "Vibrato\tV"},
          {TremoloBar, "Tremolo\tW"},
          {BarDip, "Coup de Barre\tC"},
          {PalmMute, "Palm Mute\tM"}}},
        {"&Réglages",
         {{ScrollDuringPlayback, "Défilement pendant la lecture"},
          {S, ""},
          {MultiTrackView, "Affichage &Multi-Partitions"},
          {S, ""},
          {Tempo, "&Tempo"},
          {Signature, "&Signature"},
          {S, ""},
          {Volumes, "&Volumes"},
          {Capo, "&Capodastre"},
          {Tuning, "&Accorder l'instrument"},
          {Effects, "Ajuster les &effets"},
          {S, ""},
          {ZoomIn, "Zoom &+"},
          {ZoomOut, "Zoom &-"}}},
        {"&Affichage",
         {{ViewRhythmBar, "Rythme"},
          {ViewAttributesBar, "Effets"},
          {ViewSettingsBar, "Réglages"},
          {ViewStandardBar, "&Outils standards"},
          {ViewStatusBar, "Barre d'é&tat"},
          {S, ""},
          {BackgroundGreen, "Fond Vert"},
          {BackgroundTurquoise, "Fond Turquoise"},
          {BackgroundBlue, "Fond Bleu"},
          {BackgroundGrey, "Fond Gris"},
          {BackgroundRelief, "Fond Relief"}}},
        {"&Pistes",
         {{Track1, "1"},
          {Track2, "2"},
          {Track3, "3"},
          {Track4, "4"},
          {Track5, "5"},
          {Track6, "6"},
          {Track7, "7"},
          {Track8, "8"},
          {Track9, "9"},
          {Track10, "10"}}},
        {"&?", {{HelpApp, "Aide Fretlark"}, {S, ""}, {AppAbout, "&A propos de Fretlark..."}}},
    };
    return menus;
}

const std::vector<ToolbarDef>& CommandTable::toolbars()
{
    static const std::vector<ToolbarDef> bars = {
        {"standardBar", "Outils Standard", 16, 15, {EditUndo, EditRedo, S, FileNew, FileOpen, FileSave, S, Cut, Copy, Paste, S, FilePrint, HelpApp}},
        {"rhythmBar",
         "Rythme",
         20,
         30,
         {Whole, Half, Quarter, Eighth, Sixteenth, ThirtySecond, SixtyFourth, S, Dotted, Triplet}},
        {"attributesBar",
         "Attributs des notes",
         28,
         20,
         {DeadNote,     Rest,   S,    Tie,  PullOff,         HammerOn,        S,
          SlideUp,      SlideDown,    Arpeggio, S,           Tapping,         LeftHandTapping,
          NaturalHarmonic, ArtificialHarmonic, Slap, Pop, S, Bend,            HeldBend,
          Release,      BendRelease,  S,    Vibrato,         TremoloBar,      BarDip,
          PalmMute}},
        {"settingsBar",
         "Réglages et lecture",
         34,
         28,
         {Play,  PlayFromStart, Stop,      S,      GoToStart, GoToEnd, LoopPlay, S,      ChangeInstrument, Signature, Tempo,
          RepeatStart, RepeatEnd, S,  Volumes, Capo, Tuning, Effects, S, ZoomIn, ZoomOut, MultiTrackView}},
        {"tracksBar", "Pistes", 0, 0, {Track1, Track2, Track3, Track4, Track5, Track6, Track7, Track8, Track9, Track10}},
    };
    return bars;
}

const std::vector<AcceleratorDef>& CommandTable::accelerators()
{
    // The pane keys are left out: the editor has no panes.
    static const std::vector<AcceleratorDef> keys = {
        {"Ctrl+Z", EditUndo},      {"Alt+Backspace", EditUndo}, {"Ctrl+Y", EditRedo},   {"Ctrl+Shift+Z", EditRedo},
        {"F1", HelpApp},           {"End", GoToEnd},          {"Home", GoToStart},      {"Ctrl+N", FileNew},
        {"Ctrl+O", FileOpen},      {"Ctrl+P", FilePrint},     {"Ctrl+S", FileSave},     {"Ctrl+V", Paste},
        {"Shift+Ins", Paste},      {"Ctrl+C", Copy},          {"Ctrl+Ins", Copy},       {"Shift+Del", Cut},
        {"Ctrl+X", Cut},           {"Alt+1", Track1},         {"Alt+2", Track2},        {"Alt+3", Track3},
        {"Alt+4", Track4},         {"Alt+5", Track5},         {"Alt+6", Track6},        {"Alt+7", Track7},
        {"Alt+8", Track8},         {"Alt+9", Track9},         {"Alt+0", Track10},       {"F5", ScoreProperties},
    };
    return keys;
}

const std::vector<int>& CommandTable::allCommands()
{
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const CommandText& c : kCommands)
            v.push_back(c.id);
        return v;
    }();
    return ids;
}

std::string CommandTable::stringOf(int id)
{
    const CommandText* c = find(id);
    return c ? c->text : "";
}

std::string CommandTable::statusPrompt(int id)
{
    const std::string s = stringOf(id);
    return s.substr(0, s.find('\n'));
}

std::string CommandTable::toolTip(int id)
{
    const std::string s = stringOf(id);
    const auto nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

std::string CommandTable::imageName(int id)
{
    const CommandText* c = find(id);
    return c && c->image ? c->image : "";
}

bool CommandTable::isCheckable(int id)
{
    switch (id) {
    case Whole: case Half: case Quarter: case Eighth: case Sixteenth: case ThirtySecond: case SixtyFourth:
    case Dotted: case Triplet:
    case Rest: case Tie: case PullOff: case HammerOn: case SlideUp: case SlideDown: case Arpeggio:
    case Tapping: case LeftHandTapping: case NaturalHarmonic: case ArtificialHarmonic: case Slap: case Pop:
    case Bend: case HeldBend: case Release: case BendRelease: case Vibrato: case TremoloBar: case BarDip:
    case PalmMute:
    case ViewRhythmBar: case ViewAttributesBar: case ViewSettingsBar: case ViewStandardBar: case ViewStatusBar:
    case BackgroundGreen: case BackgroundTurquoise: case BackgroundBlue: case BackgroundGrey: case BackgroundRelief:
    case ScrollDuringPlayback: case LoopPlay: case MultiTrackView:
        return true;
    default:
        return trackOfCommand(id) >= 0;
    }
}

int CommandTable::trackOfCommand(int id)
{
    const auto it = std::find(kTrackCommands.begin(), kTrackCommands.end(), id);
    return it == kTrackCommands.end() ? -1 : static_cast<int>(it - kTrackCommands.begin());
}

int CommandTable::commandOfTrack(int track)
{
    if (track < 0 || track >= static_cast<int>(kTrackCommands.size()))
        return Separator;
    return kTrackCommands[static_cast<std::size_t>(track)];
}
