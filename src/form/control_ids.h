// Child-window ids of frmMain's controls: the row of each control in the
// form's creation order. Labels draw on their container and have no window,
// so their ids are never found with GetDlgItem.
#pragma once

namespace ids {
enum : int {
  Picture4 = 1, Label1, Command6, Command5, Command4, Text2, Command3, Check1,
  Picture2, Picture3, Picture1, Command2, Command1, cmdTransfer, fraWindowInfo,
  txtWindowText, txthWnd, Text1, txtTop, txtLeft, txtWidth, txtHeight,
  txtClassName, lblTitle, Label2, Label3, lblTop, lblLeft, lblWidth, lblHeight,
  lblClassName, Picture5, Label4,
};
}  // namespace ids
