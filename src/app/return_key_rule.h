#ifndef VELLUMINE_APP_RETURN_KEY_RULE_H
#define VELLUMINE_APP_RETURN_KEY_RULE_H

// Whether the focused window counts as a push button for the Return key: its class name is "button" in any letter
// case and the whole low byte of its style is none of the check box and radio kinds. Portable.
int IsPushButtonForReturn(const char *className, unsigned long style);

#endif
