#pragma once
// What the log says when a wizard control is activated: every click logs
// "CLogic::OnBtnClicked: " followed by the control's name here. Portable;
// no state.

#include <string>

// The name logged for a control identifier: empty for the controls that
// log nothing more, "ID = <id>" for one without a name of its own.
std::wstring ButtonLogText(int id);
