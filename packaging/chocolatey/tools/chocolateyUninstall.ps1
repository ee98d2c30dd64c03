# Removes the viewer with the uninstaller that its uninstall entry names, without a window.
$ErrorActionPreference = 'Stop'
$uninstallKey = 'HKLM:\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Lumagrove64'
# 3: removed, but files held open elsewhere (or refused) stay in the program folder.
$validExitCodes = @(0, 3)
$failures = @{
  1 = 'a viewer is running; close it and remove again'
  2 = 'the removal was declined'
  4 = 'the uninstaller found no installation in its folder'
  7 = 'the installation folder is a link; nothing was removed'
}

$entry = Get-ItemProperty -LiteralPath $uninstallKey -ErrorAction SilentlyContinue
if (-not $entry) {
  Write-Warning "$env:ChocolateyPackageName is not registered ($uninstallKey); nothing to remove."
  return
}
$command = if ($entry.QuietUninstallString) { $entry.QuietUninstallString } else { $entry.UninstallString }
# Both name the program in quotes: "<folder>lgr_uninstall.exe" [/silent]
if ($command -notmatch '^\s*"([^"]+\\lgr_uninstall\.exe)"') {
  throw "Unexpected uninstall command in ${uninstallKey}: $command"
}
$uninstaller = $Matches[1]
if (-not (Test-Path -LiteralPath $uninstaller -PathType Leaf)) {
  throw "The registered uninstaller is missing: $uninstaller"
}

$packageArgs = @{
  packageName    = $env:ChocolateyPackageName
  fileType       = 'exe'
  file           = $uninstaller
  silentArgs     = '/silent'
  validExitCodes = $validExitCodes
}
try {
  Uninstall-ChocolateyPackage @packageArgs
} catch {
  $meaning = $failures[[int]$env:ChocolateyExitCode]
  if ($meaning) { Write-Warning "Uninstaller exit code $($env:ChocolateyExitCode): $meaning." }
  throw
}
