#pragma once

// The location texts the error report names a failing procedure by. Each ends in a blank, and the two
// drag handlers write "picture1" in lower case: people quote these texts to support, keep them as they are.
namespace Location {
inline constexpr char Form1_PushButton1_Click[] = "in Quorvel2021/08/31.Form1.PushButton1_Click ";
inline constexpr char Form1_PushButton2_Click[] = "in Quorvel2021/08/31.Form1.PushButton2_Click ";
inline constexpr char Form1_PushButton3_Click[] = "in Quorvel2021/08/31.Form1.PushButton3_Click ";
inline constexpr char Form1_PushButton4_Click[] = "in Quorvel2021/08/31.Form1.PushButton4_Click ";
inline constexpr char Form1_PushButton6_Click[] = "in Quorvel2021/08/31.Form1.PushButton6_Click ";
inline constexpr char Form1_SaveDocAsJPG[] = "in Quorvel2021/08/31.Form1.SaveDocAsJPG ";
inline constexpr char Form1_Form_Load[] = "in Quorvel2021/08/31.Form1.Form_Load ";
inline constexpr char Form2_Form_Activate[] = "in Quorvel2021/08/31.Form2.Form_Activate ";
inline constexpr char Form2_Form_Load[] = "in Quorvel2021/08/31.Form2.Form_Load ";
inline constexpr char Form2_Form_QueryUnload[] = "in Quorvel2021/08/31.Form2.Form_QueryUnload ";
inline constexpr char Form2_PushButton1_Click[] = "in Quorvel2021/08/31.Form2.PushButton1_Click ";
inline constexpr char Form2_PushButton2_Click[] = "in Quorvel2021/08/31.Form2.PushButton2_Click ";
inline constexpr char Form2_PushButton6_Click[] = "in Quorvel2021/08/31.Form2.PushButton6_Click ";
inline constexpr char Form2_PushButton8_Click[] = "in Quorvel2021/08/31.Form2.PushButton8_Click ";
inline constexpr char Form2_PrintDocument[] = "in Quorvel2021/08/31.Form2.PrintDocument ";
inline constexpr char Form2_Picture1_MouseDown[] = "in Quorvel2021/08/31.Form2.picture1_MouseDown ";
inline constexpr char Form2_Picture1_MouseMove[] = "in Quorvel2021/08/31.Form2.picture1_MouseMove ";
inline constexpr char Form2_Picture1_MouseUp[] = "in Quorvel2021/08/31.Form2.Picture1_MouseUp ";
inline constexpr char Form2_RedrawImage[] = "in Quorvel2021/08/31.Form2.RedrawImage ";
} // namespace Location
