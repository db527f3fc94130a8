#include "StepKind.h"

namespace edit {

const char* stepNoun(StepKind kind)
{
    switch (kind) {
    case StepKind::Typing: return "la saisie";
    case StepKind::ClearNote: return "l'effacement de la note";
    case StepKind::Rhythm: return "la valeur rythmique";
    case StepKind::Rest: return "le silence";
    case StepKind::Tie: return "la liaison";
    case StepKind::NoteEffect: return "l'effet";
    case StepKind::InsertBeat: return "l'insertion de temps";
    case StepKind::DeleteBeat: return "la suppression de temps";
    case StepKind::InsertMeasure: return "l'insertion de mesure";
    case StepKind::DeleteMeasure: return "la suppression de mesure";
    case StepKind::Duration: return "le changement de durée";
    case StepKind::ScoreEnd: return "l'ajout de mesure";
    case StepKind::Drum: return "la percussion";
    case StepKind::Signature: return "la signature";
    case StepKind::Tempo: return "le tempo";
    case StepKind::RepeatStart: return "le début de répétition";
    case StepKind::RepeatEnd: return "la fin de répétition";
    case StepKind::Capo: return "le capodastre";
    case StepKind::Properties: return "les propriétés du morceau";
    case StepKind::Cut: return "la coupe";
    case StepKind::Paste: return "le collage";
    case StepKind::AddTrack: return "l'ajout de piste";
    case StepKind::DeleteTrack: return "la suppression de piste";
    case StepKind::Instrument: return "le changement d'instrument";
    case StepKind::Tuning: return "l'accordage";
    case StepKind::Volumes: return "le volume des pistes";
    case StepKind::Tidy: return "la mise en ordre";
    }
    return "la modification";
}

std::string undoText(const StepKind* kind)
{
    return kind ? std::string("Annuler ") + stepNoun(*kind) + "\tCtrl+Z" : "Impossible d'annuler\tCtrl+Z";
}

std::string redoText(const StepKind* kind)
{
    return kind ? std::string("Rétablir ") + stepNoun(*kind) + "\tCtrl+Y" : "Impossible de rétablir\tCtrl+Y";
}

} // namespace edit
