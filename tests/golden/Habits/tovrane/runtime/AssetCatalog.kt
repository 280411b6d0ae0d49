// Farben aus dem Xcode-Asset-Katalog (erzeugt von tovrane)
package tovrane.runtime

val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(
    "AccentColor" to androidx.compose.ui.graphics.Color(0xFF007AFF),
    "HabitTint" to androidx.compose.ui.graphics.Color(0xFF5856D6),
    "StreakGreen" to androidx.compose.ui.graphics.Color(0xFF34A853),
)

val assetImages: Map<String, String> = mapOf(

)
