#ifndef VELLUMINE_APP_MESSAGE_LOOP_H
#define VELLUMINE_APP_MESSAGE_LOOP_H

// Runs the wizard's messages until WizardPage turns negative or the quit message comes. The Return key always
// yields one command for the wizard: the focused push button's, or the default button's.
void RunMessageLoop();

// The Return-key rule for one key-down of Return: posts the command; 1 when the key message is consumed.
int ApplyReturnKeyRule();

#endif
