// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What each step of the wizard shows, for the tests that step through it.

#include "app/Wizard.h"

#include <QString>

#include <map>

namespace testing {

// S shown, H hidden, D shown but disabled. Columns are steps 1 to 4.
inline const std::map<QString, QString> &StepTable()
{
    static const std::map<QString, QString> table = {
        {"Label2", "HSHH"},    {"Command5", "DSHH"},  {"Command15", "HHSH"}, {"Command16", "HHHS"},
        {"Command11", "SHHH"}, {"Command6", "HSHH"},  {"Command4", "HHSD"},  {"Command3", "SSSS"},
        {"Command12", "SHHH"}, {"Command13", "SHHS"}, {"HScroll1", "SHHS"},  {"Command19", "SHHH"},
        {"Command10", "HSHH"}, {"Command9", "HHSH"},  {"Command1", "HSSH"},  {"Command2", "HSSH"},
        {"VScroll1", "HSHH"},  {"Command17", "HHSH"}, {"Command18", "HHSH"}, {"Command21", "HHSH"},
        {"Command14", "HHHS"}, {"Command20", "HHHS"}, {"Picture1", "SHHH"},  {"Image2", "SSSS"},
        {"Picture2", "HHHS"},
    };
    return table;
}

// The caption of Label5 in step 1..4.
inline QString StepCaption(int step)
{
    const QString captions[] = {WizardController::StepCaption1, WizardController::StepCaption2,
                                WizardController::StepCaption3, WizardController::StepCaption4};
    return captions[step - 1];
}

} // namespace testing
