-- The demo site's database, created on first run as /data/vote.asp in the
-- data folder (never inside the checkout).
CREATE TABLE [Vote] (
  [ID] INTEGER PRIMARY KEY AUTOINCREMENT,
  [Title] TEXT NOT NULL,
  [Votes] INTEGER NOT NULL DEFAULT 0,
  [AddTime] TEXT NOT NULL DEFAULT (datetime('now', 'localtime'))
);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('上传组件好用吗', 12);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('拼音首字母准确吗', 7);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('错误页清楚吗', 3);
INSERT INTO [Vote] ([Title], [Votes]) VALUES ('文件管理方便吗', 5);
