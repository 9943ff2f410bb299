#pragma once
// The main window keeps the start-up update check with itself; when the window goes, the check
// is left to itself and shows nothing.
namespace lantervo {

class TLTVUpdate;
class TMainForm;

// The check started by StartUpdateCheck, or null before it.
TLTVUpdate* UpdateCheckOf(const TMainForm& form);

}  // namespace lantervo
