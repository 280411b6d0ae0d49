// Farben aus dem Xcode-Asset-Katalog (erzeugt von tovrane)
package tovrane.runtime

val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(
    "AccentColor" to androidx.compose.ui.graphics.Color(0xFFFF9500),
    "CounterBackground" to androidx.compose.ui.graphics.Color(0xFFF6F4EF),
    "NegativeRed" to androidx.compose.ui.graphics.Color(0xFFFF3B30),
    "PositiveGreen" to androidx.compose.ui.graphics.Color(0xFF34C759),
)

val assetImages: Map<String, String> = mapOf(
    "Badge" to "badge",
)
