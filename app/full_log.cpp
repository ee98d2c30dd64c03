#include "app/full_log.h"

#include <cwchar>
#include <string>

#include "app/install_log.h"
#include "base/option_rules.h"
#include "base/run_log.h"
#include "engine/install_options.h"
#include "integration/install_paths.h"

namespace {

const wchar_t* YesNo(bool value) { return value ? L"ja" : L"nein"; }

void LogDeploymentOptions(const DeploymentOptions& deployment) {
  LogStep(L"Option Protokoll (/log=): %ls", deployment.logPath);
  if (deployment.closeViewerSeconds < 0)
    LogStep(L"Option Betrachter schließen (/closeviewer=): nicht angegeben");
  else
    LogStep(L"Option Betrachter schließen (/closeviewer=): %d s", deployment.closeViewerSeconds);
  LogStep(L"Option Fortschrittsfenster (/progress): %ls", YesNo(deployment.progress));
  LogStep(L"Option Ältere Version erlauben (/allowdowngrade): %ls",
          YesNo(deployment.allowDowngrade));
}

}  // namespace

void StartFullLog(const wchar_t* commandLine, bool silent, StepLog& log) {
  DeploymentOptions deployment;
  ReadDeploymentOptions(commandLine, deployment);
  if (deployment.logPath[0] == L'\0' || PathOptionCutByLineLimit(commandLine, L"/log=")) return;
  if (log.Open(deployment.logPath) != FileStatus::Done) return;
  wchar_t version[16];
  swprintf(version, 16, L"%d.%d", kVersionMajor, kVersionMinor);
  LogRunHeader(kSetupTitle, version, commandLine);
  LogStep(L"Art des Laufs: %ls", silent ? L"unbeaufsichtigt (/silent)" : L"Assistent");
  LogDeploymentOptions(deployment);
}

void WriteProblemEntry(const wchar_t* message) {
  std::wstring where;
  if (WriteInstallLog(message, &where))
    LogStep(L"Eintrag im Fehlerprotokoll %ls: %ls", where.c_str(), message);
  else
    LogStep(L"Fehlerprotokoll nicht beschreibbar, Eintrag verloren: %ls", message);
}

const wchar_t* OutcomeText(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Installed: return L"installiert";
    case RunOutcome::ViewerRunning: return L"Lumagrove läuft, nichts installiert";
    case RunOutcome::InvalidFolder: return L"Zielverzeichnis leer oder ungültig";
    case RunOutcome::FolderNotCreated: return L"Zielverzeichnis kann nicht erstellt werden";
    case RunOutcome::ExtractionFailed: return L"Dateien konnten nicht entpackt werden";
    case RunOutcome::WizardAbandoned: return L"Assistent vor dem Ende der Installation verlassen";
    case RunOutcome::FilesLeftOut: return L"installiert, aber Dateien in Benutzung ausgelassen";
    case RunOutcome::LinkRefused: return L"ein Verzeichnis ist ein Link, nichts installiert";
    case RunOutcome::NewerVersionInstalled:
      return L"eine neuere Version ist installiert, nichts installiert";
    case RunOutcome::RestartRequired:
      return L"installiert, Dateien in Benutzung werden beim Neustart ersetzt";
  }
  return L"unbekannt";
}

void LogOutcome(RunOutcome outcome, int exitCode) {
  LogStep(L"Ergebnis: %ls (Exitcode %d)", OutcomeText(outcome), exitCode);
}
