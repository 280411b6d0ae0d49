// Stand-in for the asset catalogue that every converted project writes itself.
package tovrane.runtime

val assetColors: Map<String, androidx.compose.ui.graphics.Color> = mapOf(
    "AccentColor" to androidx.compose.ui.graphics.Color(0xFF3478F6),
)

val assetImages: Map<String, String> = mapOf(
    "Logo" to "logo",
)
