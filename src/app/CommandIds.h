#pragma once

// Every command the editor knows, by the number that menus, toolbars,
// accelerators and the routing share. The numbers are part of the program's
// vocabulary and never change.
namespace cmd {

enum Id : int {
    Separator = 0,

    // rhythm
    Whole = 32772,
    Half = 32773,
    Quarter = 32774,
    Eighth = 32775,
    Sixteenth = 32776,
    ThirtySecond = 32777,
    SixtyFourth = 32778,
    Dotted = 32781,
    Triplet = 32811,

    // note attributes
    DeadNote = 32782,
    Rest = 32783,
    HammerOn = 32784,
    PullOff = 32785,
    SlideUp = 32786,
    SlideDown = 32787,
    Bend = 32788,
    HeldBend = 32789,
    Release = 32790,
    BendRelease = 32791,
    Vibrato = 32792,
    TremoloBar = 32793,
    BarDip = 32794,
    Tapping = 32795,
    LeftHandTapping = 32796,
    NaturalHarmonic = 32797,
    ArtificialHarmonic = 32798,
    Tie = 32799,
    PalmMute = 32800,
    Arpeggio = 32858,
    Slap = 32863,
    Pop = 32865,

    // toolbar visibility
    ViewRhythmBar = 32801,
    ViewAttributesBar = 32802,
    ViewSettingsBar = 32809,
    ViewStandardBar = 59392,
    ViewStatusBar = 59393,

    // score settings
    Capo = 32803,
    Signature = 32808,
    Tempo = 32810,
    RepeatStart = 32843,
    RepeatEnd = 32844,
    ScoreProperties = 32873,
    ScrollDuringPlayback = 32859,

    // view
    ZoomIn = 32812,
    ZoomOut = 32814,
    MultiTrackView = 32871,
    BackgroundGreen = 32884,
    BackgroundTurquoise = 32885,
    BackgroundBlue = 32886,
    BackgroundGrey = 32887,
    BackgroundRelief = 32888,

    // playback
    Play = 32815,
    Stop = 32816,
    GoToEnd = 32817,
    GoToStart = 32818,
    LoopPlay = 32830,
    PlayFromStart = 32833,

    // editing
    InsertBeat = 32820,
    DeleteBeat = 32821,
    Copy = 32845,
    Paste = 32846,
    Cut = 32847,
    InsertMeasure = 32860,

    // tracks and sound
    Volumes = 32834,
    Track1 = 32835,
    Track2 = 32836,
    Track3 = 32837,
    Track4 = 32838,
    Track5 = 32839,
    Track6 = 32840,
    Track7 = 32841,
    Track8 = 32842,
    Track9 = 32861,
    Track10 = 32862,
    AddTrack = 32848,
    ChangeInstrument = 32857,
    Tuning = 32866,
    DeleteTrack = 32869,
    Effects = 32874,

    // help
    HelpBrowser = 32831,
    HelpApp = 32889,
    Help = 57670,
    DefaultHelp = 57671,

    // framework file and application commands
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 57604,
    FilePrintSetup = 57606,
    FilePrint = 57607,
    FilePrintPreview = 57609,
    FileExportPdf = 32920, // ours: no framework command writes a PDF
    FileMru1 = 57616,
    FileMru2 = 57617,
    FileMru3 = 57618,
    FileMru4 = 57619,
    EditUndo = 57643,
    EditRedo = 57644,
    AppAbout = 57664,
    AppExit = 57665,
};

} // namespace cmd
