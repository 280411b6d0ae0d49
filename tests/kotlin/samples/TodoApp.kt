// Automatisch aus Sources/TodoApp.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.sample

import androidx.compose.runtime.*
import tovrane.runtime.*
enum class Priority(val rawValue: String) {
    low("low"),
    medium("medium"),
    high("high");
    val id: Priority get() = this
    companion object {
        operator fun invoke(rawValue: String): Priority? = entries.firstOrNull { it.rawValue == rawValue }
    }
}

data class TodoItem(
    val id: java.util.UUID = UUID(),
    var title: String,
    var done: Boolean = false,
    var priority: Priority = Priority.medium,
    var created: java.util.Date = Date()
) {
}

sealed class LoadState {
    data object idle : LoadState()
    data class failed(val value0: String) : LoadState()
}

class TodoStore {
    var items by mutableStateOf<MutableList<TodoItem>>(mutableListOf<TodoItem>(), neverEqualPolicy())
    var state by mutableStateOf<LoadState>(LoadState.idle, neverEqualPolicy())
    val openCount: Int
        get() = items.filter_ { !it.done }.count
    fun add(title: String) {
        val trimmed = title.trimmingCharacters(`in` = null)
        if (!(!trimmed.isEmpty)) {
            return
        }
        items.append(TodoItem(title = trimmed))
        items = items
    }
    fun toggle(item: TodoItem) {
        val index = items.firstIndex(where = { it.id == item.id })
        if (index == null) {
            return
        }
        items[index].done = !items[index].done
        items = items
    }
    fun remove(item: TodoItem) {
        items.removeAll { it.id == item.id }
        items = items
    }
    suspend fun load() {
        TaskStatic.sleep(500000000L)
        state = LoadState.idle
    }
    fun summary(): String {
        val titles = items.map_ { it.title }.sorted_()
        val first = items.first?.title ?: "–"
        val total = items.reduce(0, { p0, p1 -> (p0 + (if (p1.done) 1 else 0)) })
        val words = "a b  c".split(separator = " ")
        val dice = Int.random(`in` = (1..6))
        val ratio = (Double(total) / max(1.0, Double(items.count)))
        return "${titles.joined(separator = ", ")} ${first} ${String(format = "%.1f", ratio)} ${dice} ${words.count} ${ratio.formatted()}"
    }
}

class Note {
    var text: String = ""
    var date: java.util.Date = Date()
    constructor(text: String) {
        this.text = text
    }
}

@Composable @NonSkippableComposable
fun TodoApp() {
    val self = remember { TodoAppRoot() }
    self.body()
}

class TodoAppRoot() {
    var store by mutableStateOf<TodoStore>(TodoStore(), neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        WindowGroup {
            RootTabs(mod = Mod().environmentObject(store))
        }
    }
}

@Composable @NonSkippableComposable
fun RootTabs(mod: Mod = Mod()) {
    val self = remember { RootTabsView() }
    Apply(mod) { self.body() }
}

class RootTabsView() {
    var tab by mutableStateOf<Int>(0, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        TabView(selection = Binding({ tab }, { tab = it })) {
            TodoListView(mod = Mod().tabItem(label = {
                Label("Aufgaben", systemImage = "checklist")
            }).tag(0))
            SettingsView(mod = Mod().tabItem(label = {
                Label("Einstellungen", systemImage = "gearshape")
            }).tag(1))
        }
    }
}

@Composable @NonSkippableComposable
fun TodoListView(mod: Mod = Mod()) {
    val self = remember { TodoListViewView() }
    self.store = environmentObject<TodoStore>()
    self.dismiss = LocalDismiss.current
    self.openURL = currentOpenURL()
    self.scheme = currentColorScheme()
    Apply(mod) { self.body() }
}

class TodoListViewView() {
    lateinit var store: TodoStore
    var dismiss = DismissAction {}
    lateinit var openURL: OpenURLAction
    var scheme = ColorScheme.light
    var newTitle by mutableStateOf<String>("", neverEqualPolicy())
    var showAdd by mutableStateOf<Boolean>(false, neverEqualPolicy())
    var confirmDelete by mutableStateOf<Boolean>(false, neverEqualPolicy())
    var selected by mutableStateOf<TodoItem?>(null, neverEqualPolicy())
    var filter by mutableStateOf<Priority>(Priority.medium, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            List {
                Section(header = { Text("Offen: ${store.openCount}") }) {
                    ForEach(store.items) { item ->
                        row(item)
                    }
                }
                Section("Filter") {
                    Picker("Priorität", selection = Binding({ filter }, { filter = it })) {
                        ForEach(Priority.entries.toMutableList()) { p ->
                            Text(p.rawValue.capitalized, mod = Mod().tag(p))
                        }
                    }
                }
                if (store.items.isEmpty) {
                    ContentUnavailableView("Keine Aufgaben", systemImage = "tray", description = { Text("Tippe auf +") })
                }
            }
            Unsupported("EditButton", mod = Mod().navigationTitle("Aufgaben").toolbar(content = {
                ToolbarItem(placement = null) {
                    Button(action = { showAdd = true }, label = {
                        Image(systemName = "plus")
                    })
                }
            }).sheet(isPresented = Binding({ showAdd }, { showAdd = it }), content = {
                AddView(title = Binding({ newTitle }, { newTitle = it }))
            }).sheet(item = Binding({ selected }, { selected = it }), content = { item ->
                Text(item.title)
            }).alert("Alles löschen?", isPresented = Binding({ confirmDelete }, { confirmDelete = it }), actions = {
                Button("Löschen", role = ButtonRole.destructive) {
                    store.items.removeAll()
                    store.items = store.items
                }
                Button("Abbrechen", role = ButtonRole.cancel) {
                }
            }, message = {
                Text("Das kann nicht rückgängig gemacht werden.")
            }).task(action = {
                store.load()
            }).onChange1(of = filter, perform = { newValue ->
                swiftPrint(newValue)
            }))
        }
    }
    @Composable @NonSkippableComposable
    fun row(item: TodoItem) {
        HStack {
            Image(systemName = if (item.done) "checkmark.circle.fill" else "circle", mod = Mod().foregroundColor(if (item.done) Color.green else Color.gray).onTapGesture(perform = {
                store.toggle(item)
            }))
            VStack(alignment = HorizontalAlignment.leading) {
                Text(item.title, mod = Mod().strikethrough(item.done))
                Text(item.created.formatted(date = FormatStyleLevel.abbreviated, time = FormatStyleLevel.shortened), mod = Mod().font(Font.caption).foregroundStyle(Color.secondary))
            }
            Spacer()
            NavigationLink(destination = { DetailView(item = item) }) {
                Text("Details")
            }
        }
    }
}

@Composable @NonSkippableComposable
fun AddView(title: Binding<String>, mod: Mod = Mod()) {
    val self = remember { AddViewView(title) }
    self._title = title
    self.dismiss = LocalDismiss.current
    Apply(mod) { self.body() }
}

class AddViewView(var _title: Binding<String>) {
    var title: String
        get() = _title.value
        set(v) { _title.value = v }
    var dismiss = DismissAction {}
    var count by mutableStateOf<Int>(1, neverEqualPolicy())
    var volume by mutableStateOf<Double>(0.5, neverEqualPolicy())
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            Form {
                TextField("Titel", text = _title)
                Stepper("Anzahl: ${count}", value = Binding({ count }, { count = it }), `in` = (1..10))
                Slider(value = Binding({ volume }, { volume = it }), `in` = (0..1))
                ProgressView(value = volume)
                Button("Fertig") {
                    dismiss()
                }
            }
        }
    }
}

@Composable @NonSkippableComposable
fun DetailView(item: TodoItem, mod: Mod = Mod()) {
    val self = remember { DetailViewView(item) }
    self.item = item
    Apply(mod) { self.body() }
}

class DetailViewView(var item: TodoItem) {
    @Composable @NonSkippableComposable
    fun body() {
        ScrollView {
            VStack(spacing = 16) {
                Circle(mod = Mod().fill(Color.blue).frame(width = 80, height = 80))
                RoundedRectangle(cornerRadius = 12, mod = Mod().stroke(Color.gray, lineWidth = 2).frame(height = 40))
                ColorView(Color.accentColor, mod = Mod().frame(height = 4))
                Text(item.title, mod = Mod().font(Font.largeTitle).multilineTextAlignment(TextAlignment.center).lineLimit(2))
                Text(item.priority.rawValue.uppercased(), mod = Mod().padding(Edge.horizontal, 8).background(Color.orange, `in` = Shape.capsule).clipShape({ Capsule() }).overlay({ Capsule(mod = Mod().stroke(Color.red)) }))
                Link("Dokumentation", destination = URL(string = "https://example.com"))
                AssetImage("Logo", mod = Mod().frame(width = 40, height = 40))
                Label(title = { Text("Titel") }, icon = { Image(systemName = "star.fill") })
                Menu("Mehr") {
                    Button("Teilen", systemImage = "square.and.arrow.up") {
                    }
                }
                Divider()
                EmptyView()
                Group(mod = Mod().padding()) { Text("Gruppe") }
                LazyVStack(alignment = HorizontalAlignment.leading) {
                    ForEach((0 until 3)) { i ->
                        Text("Zeile ${i}")
                    }
                }
                ZStack(alignment = Alignment.topLeading) {
                    Rectangle(mod = Mod().fill(Color.yellow))
                    Ellipse()
                }
            }
        }
    }
}

@Composable @NonSkippableComposable
fun SettingsView(mod: Mod = Mod()) {
    val self = remember { SettingsViewView() }
    self._userName = rememberAppStorage("userName", "")
    self._darkMode = rememberAppStorage("darkMode", false)
    self.context = ModelContext
    Apply(mod) { self.body() }
}

class SettingsViewView() {
    lateinit var _userName: MutableState<String>
    var userName: String
        get() = _userName.value
        set(v) { _userName.value = v }
    lateinit var _darkMode: MutableState<Boolean>
    var darkMode: Boolean
        get() = _darkMode.value
        set(v) { _darkMode.value = v }
    var context = ModelContext
    val notes: MutableList<Note>
        get() = ModelStore.fetch(Note::class, sort = { it.date }, reverse = true).toMutableList()
    @Composable @NonSkippableComposable
    fun body() {
        NavigationView {
            Form {
                Section(title = "Profil", footer = { Text("Wird lokal gespeichert") }) {
                    TextField("Name", text = _userName.binding())
                    SecureField("Passwort", text = Binding.constant(""))
                    Toggle(isOn = _darkMode.binding()) {
                        Text("Dunkel")
                    }
                }
                Section {
                    ForEach(notes) { note ->
                        Text(note.text)
                    }
                    Button("Notiz anlegen") {
                        context.insert(Note(text = "Neu ${notes.count + 1}"))
                        Task {
                            kotlinx.coroutines.delay(1000)
                            swiftPrint("angelegt", notes.count)
                        }
                    }
                }
                TextEditor(text = Binding({ userName }, { userName = it }))
            }
        }
    }
}

