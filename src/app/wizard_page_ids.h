#ifndef VELLUMINE_APP_WIZARD_PAGE_IDS_H
#define VELLUMINE_APP_WIZARD_PAGE_IDS_H

// The values of WizardPage: the wizard's three pages in order, the install under way, and the end. Portable.
enum WizardPages { PageDrive = 0, PageLanguage = 1, PageLicence = 2, PageInstalling = 99, PageQuit = -1 };

#endif
