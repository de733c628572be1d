#pragma once
// Who makes Vendrake, as its captions and boxes name it.

inline constexpr char ProductName[] = "Vendrake";
inline constexpr char MakerName[] = "Qingshan Soft";
inline constexpr char MakerWebAddress[] = "http://www.qingshansoft.example";
inline constexpr char MakerEmail[] = "support@qingshansoft.example";
// The main window's caption: the product followed by the maker and its address.
inline constexpr char ProductCaption[] = "Vendrake (Qingshan Soft http://www.qingshansoft.example)";
