#pragma once
// The type sizes that differ from one language to another, so that the
// longer captions fit: one row per language, looked up by the pages and
// dialogs instead of testing the language's number where they draw.
namespace qrv {

struct LanguageStyle {
  int tabCaption;      // the main window's five tab captions
  int registryRow;     // the Registry tab: its category rows
  int registryStatus;  // its status line
  int registryButton;  // its buttons
  int homeLine;        // the Home page: its five lines and the schedule line
  int homeStart;       // its Start Scan button
  int scanPhase;       // the scan in progress: its phase captions
  int scanStep;        // its step line
  int scanCancel;      // its Cancel button
  int summaryRepair;   // the summary's Repair & Optimize button
  int tweakButton;     // the tweak views' buttons
  int startupButton;   // the startup manager's buttons
  int logUndoButton;   // the Log/Undo page's buttons
};

// The row of a language (1 English, 2 French, 3 German, 4 Spanish,
// 5 Italian); any other number has a row of its own.
const LanguageStyle& StyleOf(unsigned languageNumber);

}  // namespace qrv
