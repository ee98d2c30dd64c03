# Installs the embedded lumagrove-setup64.exe silently; package parameters become its options.
$ErrorActionPreference = 'Stop'
$toolsDir = Split-Path -Parent $MyInvocation.MyCommand.Definition
$installer = Join-Path $toolsDir 'lumagrove-setup64.exe'
$defaultLog = Join-Path $env:TEMP "$($env:ChocolateyPackageName).$($env:ChocolateyPackageVersion).setup.log"

# Package parameter, setup option, kind, default. The setup takes the first occurrence of
# an option and Chocolatey appends --install-arguments after these, so every option is
# written once, here. Paths first: the setup reads only the first 519 characters.
$options = @(
  @{ Name = 'InstallDir'; Switch = '/folder='; Kind = 'path' }
  @{ Name = 'Ini'; Switch = '/ini='; Kind = 'path'; AllowEmpty = $true }
  @{ Name = 'Log'; Switch = '/log='; Kind = 'path'; Default = $defaultLog }
  @{ Name = 'Group'; Switch = '/group='; Kind = 'number'; Default = '1' }
  @{ Name = 'Desktop'; Switch = '/desktop='; Kind = 'number' }
  @{ Name = 'Thumbs'; Switch = '/thumbs='; Kind = 'number' }
  @{ Name = 'AllUsers'; Switch = '/allusers='; Kind = 'number' }
  @{ Name = 'Assoc'; Switch = '/assoc='; Kind = 'number' }
  @{ Name = 'CloseViewer'; Switch = '/closeviewer='; Kind = 'number'; Default = '30' }
  @{ Name = 'AllowDowngrade'; Switch = '/allowdowngrade'; Kind = 'flag' }
)
# 3010: installed, a restart completes it (files in use are replaced then).
$validExitCodes = @(0, 3010)
# What the setup's other exit codes mean. Chocolatey's own hints for these numbers describe
# other installers ("Setup was cancelled" for 2, "restart the system" for 8).
$failures = @{
  1 = 'a viewer is running; close it, or pass /CloseViewer:N'
  2 = 'the target folder is empty, invalid or too long; check /InstallDir'
  3 = 'the target folder cannot be created; check the rights on its parent folder'
  4 = 'the files could not be extracted; check free space and rights, then run again'
  5 = 'the wizard was left'
  6 = 'files held open by another program were not replaced; close it and run again'
  7 = 'the target folder or a folder above it is a link; nothing was installed'
  8 = 'a newer version is installed; pass /AllowDowngrade to install this one over it'
}

# One option as the setup reads it; $null when the parameter asks for nothing.
function Format-SetupOption($option, $value) {
  $name = $option.Name
  switch ($option.Kind) {
    'flag' {
      if ($value -eq $true -or $value -match '^\s*[+-]?0*[1-9]') { return $option.Switch }
      return $null
    }
    'number' {
      if ($value -eq $true) { $value = '1' }
      if ($value -notmatch '^\s*[+-]?\d+\s*$') { throw "/${name}: expects a number, not '$value'" }
      return "$($option.Switch)$($value.Trim())"
    }
    'path' {
      # A flag without a value, e.g. /Ini, is the empty path.
      if ($value -eq $true) { $value = '' }
      $value = $value.Trim()
      if ($value -match '^([''"])(.*)\1$') { $value = $Matches[2] }
      # A value ends at the next "/" and the setup removes only one quote at each end.
      if ($value -match '[/"]') { throw "/${name}: the path may contain neither '/' nor '`"': $value" }
      if ($value -eq '') {
        if (-not $option.AllowEmpty) { throw "/${name}: needs a path" }
        return $option.Switch
      }
      return "$($option.Switch)`"$value`""
    }
  }
}

$pp = Get-PackageParameters
$known = $options | ForEach-Object { $_.Name }
foreach ($key in $pp.Keys) {
  if ($known -notcontains $key) { Write-Warning "Unknown package parameter /$key (known: /$($known -join ', /'))" }
}

$setupArgs = @('/silent')
foreach ($option in $options) {
  $value = if ($pp.ContainsKey($option.Name)) { $pp[$option.Name] } else { $option.Default }
  if ($null -eq $value) { continue }
  $text = Format-SetupOption $option $value
  if ($text) { $setupArgs += $text }
}
$silentArgs = $setupArgs -join ' '
Write-Host "Setup options: $silentArgs"

$packageArgs = @{
  packageName    = $env:ChocolateyPackageName
  fileType       = 'exe'
  file64         = $installer
  silentArgs     = $silentArgs
  validExitCodes = $validExitCodes
}
try {
  Install-ChocolateyInstallPackage @packageArgs
} catch {
  $meaning = $failures[[int]$env:ChocolateyExitCode]
  if ($meaning) { Write-Warning "Setup exit code $($env:ChocolateyExitCode): $meaning (details in the /log= file above)." }
  throw
}

# The setup has done its work; the package need not keep a second copy of it.
Remove-Item -LiteralPath $installer -Force -ErrorAction SilentlyContinue
