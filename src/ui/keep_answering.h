#ifndef VELLUMINE_UI_KEEP_ANSWERING_H
#define VELLUMINE_UI_KEEP_ANSWERING_H

// For a long job on the window's own thread (the install, the wait after it). Windows takes a window whose thread
// has not looked at its queue for five seconds for hung: it ghosts it as "Not Responding" and offers to close the
// program. Called often during such a job, this handles the messages that other threads and processes send and
// repaints what needs it, and acts on nothing posted: commands, keys and clicks stay queued until the job is done.
void KeepAnswering();

#endif
