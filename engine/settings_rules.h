// Text rules of the viewer's settings file: %NAME% expansion, skin choice, layout test.
#pragma once

#include <cstddef>
#include <string>

// Where the values of %NAME% references come from.
class EnvironmentLookup {
 public:
  // False when the variable does not exist.
  virtual bool Get(const std::wstring& name, std::wstring& value) const = 0;

 protected:
  ~EnvironmentLookup() = default;
};

// Replaces every %NAME% by the variable's value; an undefined one vanishes with its
// percent signs, "%%" gives nothing, an unclosed name runs to the end. False (and an
// empty result) when the result does not fit capacity.
bool ExpandEnvironmentNames(const wchar_t* text, wchar_t* out, size_t capacity,
                            const EnvironmentLookup& lookup);

struct ToolbarSkin {
  const wchar_t* skin;
  const wchar_t* size;
};

// scale: horizontal pixels per inch * 100 / 96; height: full-screen client height.
ToolbarSkin ChooseToolbarSkin(int height, int scale);

// The settings live in a packaged copy of the viewer ("Lumagrove32_App"/"Lumagrove64_App").
bool IsPackagedLayout(const wchar_t* iniFolder, const wchar_t* settingsFile);
