// Whether the focused window counts as a push button for the Return key. Portable.
#include "app/return_key_rule.h"

#include <strings.h>

int IsPushButtonForReturn(const char *className, unsigned long style) {
  if (strcasecmp(className, "button") != 0)
    return 0;
  switch (style & 0xFF) {
  case 2: // check box
  case 3: // auto check box
  case 4: // radio button
  case 5: // three-state
  case 6: // auto three-state
  case 9: // auto radio button
    return 0;
  default: return 1;
  }
}
