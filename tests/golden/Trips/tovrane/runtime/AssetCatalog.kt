// Farben aus dem Xcode-Asset-Katalog (erzeugt von tovrane)
package tovrane.runtime

val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(
    "AccentColor" to androidx.compose.ui.graphics.Color(0xFF007AFF),
    "Ocean" to androidx.compose.ui.graphics.Color(0xFF007AC8),
    "Sand" to androidx.compose.ui.graphics.Color(0xFFE2C996),
    "Sunset" to androidx.compose.ui.graphics.Color(0xE6F28C3C),
)

val assetImages: Map<String, String> = mapOf(
    "Placeholder" to "placeholder",
)
